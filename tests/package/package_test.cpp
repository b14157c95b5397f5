// Inspects the .deb scripts/package.sh built: what it installs, the desktop entry and metadata a
// desktop reads, and the program it holds, run from a copy extracted into a temporary root.
// Skipped when there is none; with QZWEB_PACKAGE naming a package (as the CI does), it must be
// there.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEngineCore>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

const QString kDesktopEntry = QStringLiteral("/usr/share/applications/" QZWEB_APP_ID ".desktop");
const QString kMetainfo = QStringLiteral("/usr/share/metainfo/" QZWEB_APP_ID ".metainfo.xml");

struct ProcessResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

ProcessResult run(const QString &program,
                  const QStringList &arguments,
                  const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("%1 did not finish: %2").arg(program, process.errorString());
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The [Desktop Entry] group's keys as written (no locale folding).
std::map<QString, QString> desktopKeys(const QString &text)
{
    std::map<QString, QString> keys;
    bool inEntry = false;
    for (const QString &line : text.split(u'\n')) {
        if (line.startsWith(u'['))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.contains(u'=') && !line.startsWith(u'#'))
            keys[line.section(u'=', 0, 0)] = line.section(u'=', 1);
    }
    return keys;
}

class DebianPackage : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_required = qEnvironmentVariableIsSet("QZWEB_PACKAGE");
        s_package = qEnvironmentVariable("QZWEB_PACKAGE", QStringLiteral(QZWEB_PACKAGE_FILE));
        if (!QFileInfo(s_package).isFile())
            return;
        s_root = std::make_unique<QTemporaryDir>();
        const ProcessResult extract =
            run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), s_package, s_root->path()});
        if (extract.exitCode != 0)
            s_extractError = extract.err;
    }
    static void TearDownTestSuite() { s_root.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_root || !s_required)
            << "QZWEB_PACKAGE names " << s_package.toStdString() << ", which is not there";
        if (!s_root)
            GTEST_SKIP() << "no package at " << s_package.toStdString() << "; build it with scripts/package.sh";
        ASSERT_TRUE(s_extractError.isEmpty()) << "dpkg-deb -x failed: " << s_extractError.toStdString();
    }

    static QString installed(const QString &path) { return s_root->path() + path; }

    static inline bool s_required = false;
    static inline QString s_package;
    static inline std::unique_ptr<QTemporaryDir> s_root;
    static inline QString s_extractError;
};

TEST_F(DebianPackage, InstallsTheProgramAndWhatTheDesktopNeeds)
{
    const ProcessResult contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), s_package});
    ASSERT_EQ(contents.exitCode, 0) << contents.err.toStdString();
    QStringList files;
    for (const QString &line : contents.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QString path = line.section(u' ', -1).mid(1); // "./usr/bin/qzweb" -> "/usr/bin/qzweb"
        if (!path.endsWith(u'/'))
            files.append(path);
    }
    QStringList expected = {
        QStringLiteral("/usr/bin/qzweb"),
        QStringLiteral("/usr/share/qzweb/qzweb.qhc"),
        QStringLiteral("/usr/share/qzweb/qzweb.qch"),
        kDesktopEntry,
        kMetainfo,
        QStringLiteral("/usr/share/icons/hicolor/scalable/apps/qzweb.svg"),
        QStringLiteral("/usr/share/man/man1/qzweb.1.gz"),
        QStringLiteral("/usr/share/man/ja/man1/qzweb.1.gz"),
        QStringLiteral("/usr/share/doc/qzweb/copyright"),
        QStringLiteral("/usr/share/doc/qzweb/changelog.gz"),
    };
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        expected.append(QStringLiteral("/usr/share/icons/hicolor/%1x%1/apps/qzweb.png").arg(size));
    for (const QString &file : expected)
        EXPECT_TRUE(files.contains(file)) << "missing " << file.toStdString();
    for (const QString &file : files)
        EXPECT_TRUE(expected.contains(file) || file.startsWith(QLatin1String("/usr/share/lintian/overrides/")))
            << "unexpected " << file.toStdString();

    const ProcessResult fields =
        run(QStringLiteral("dpkg-deb"),
            {QStringLiteral("--field"), s_package, QStringLiteral("Depends"), QStringLiteral("Recommends")});
    for (const char *needed : {"qt6-qpa-plugins",
                               "qt6-translations-l10n",
                               "libsecret-1-0",
                               "libqt6webenginecore6-bin",
                               "libqt6widgets6",
                               "fonts-noto-cjk"})
        EXPECT_TRUE(fields.out.contains(QString::fromUtf8(needed))) << needed << " not in\n"
                                                                    << fields.out.toStdString();
}

TEST_F(DebianPackage, DesktopEntryOpensWebPagesAndNamesItselfInJapanese)
{
    const std::map<QString, QString> keys = desktopKeys(readText(installed(kDesktopEntry)));
    const std::map<QString, QString> expected = {
        {QStringLiteral("Type"), QStringLiteral("Application")},
        {QStringLiteral("Exec"), QStringLiteral("qzweb %f")},
        {QStringLiteral("Icon"), QStringLiteral("qzweb")},
        {QStringLiteral("Terminal"), QStringLiteral("false")},
        {QStringLiteral("MimeType"), QStringLiteral("text/html;application/xhtml+xml;text/plain;")},
        {QStringLiteral("Name"), QStringLiteral("QZWeb")},
        {QStringLiteral("GenericName[ja]"), QStringLiteral("HTML エディタ")},
        {QStringLiteral("Comment[ja]"), QStringLiteral("ホームページを手で書き、確かめ、FTP で公開します")},
    };
    for (const auto &[key, value] : expected) {
        const auto found = keys.find(key);
        ASSERT_NE(found, keys.end()) << key.toStdString();
        EXPECT_EQ(found->second, value) << key.toStdString();
    }
    EXPECT_TRUE(keys.count(QStringLiteral("Comment")) && keys.count(QStringLiteral("Name[ja]")));
}

TEST_F(DebianPackage, MetainfoDescribesTheDesktopEntryItShipsWith)
{
    QXmlStreamReader xml(readText(installed(kMetainfo)));
    QString id, launchable;
    QStringList webAddresses;
    QStringList descriptionLanguages;
    bool rated = false;
    bool inDescription = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("description"))
            inDescription = false;
        if (!xml.isStartElement())
            continue;
        const QString lang = xml.attributes().value(QLatin1String("xml:lang")).toString();
        if (xml.name() == QLatin1String("id"))
            id = xml.readElementText();
        else if (xml.name() == QLatin1String("launchable"))
            launchable = xml.readElementText();
        else if (xml.name() == QLatin1String("image") || xml.name() == QLatin1String("url"))
            webAddresses.append(xml.readElementText());
        else if (xml.name() == QLatin1String("content_rating"))
            rated = true;
        else if (xml.name() == QLatin1String("description"))
            inDescription = true;
        else if (inDescription && xml.name() == QLatin1String("p") && !descriptionLanguages.contains(lang))
            descriptionLanguages.append(lang);
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(launchable, QFileInfo(kDesktopEntry).fileName());
    EXPECT_EQ(id + QStringLiteral(".desktop"), launchable);
    // No placeholder host: a home page and a screenshot only where the repository is on the web.
    for (const QString &address : webAddresses) {
        EXPECT_TRUE(address.startsWith(QLatin1String("https://")) || address.startsWith(QLatin1String("http://")))
            << address.toStdString();
        EXPECT_FALSE(address.contains(QLatin1String("example."))) << address.toStdString();
    }
    EXPECT_TRUE(rated);
    EXPECT_EQ(descriptionLanguages, QStringList({QString(), QStringLiteral("ja")}));
}

TEST_F(DebianPackage, ManualPagesAreNamedForTheProgram)
{
    const std::pair<const char *, const char *> pages[] = {{"/usr/share/man/man1/qzweb.1.gz", ".SH NAME"},
                                                           {"/usr/share/man/ja/man1/qzweb.1.gz", ".SH 名前"}};
    for (const auto &[path, heading] : pages) {
        const ProcessResult page =
            run(QStringLiteral("gzip"), {QStringLiteral("-dc"), installed(QString::fromUtf8(path))});
        ASSERT_EQ(page.exitCode, 0) << path << ": " << page.err.toStdString();
        const QStringList lines = page.out.split(u'\n');
        const qsizetype name = lines.indexOf(QString::fromUtf8(heading));
        ASSERT_GE(name, 0) << path;
        ASSERT_LT(name + 1, lines.size()) << path;
        EXPECT_TRUE(lines.at(name + 1).startsWith(QLatin1String("qzweb \\- "))) << lines.at(name + 1).toStdString();
        EXPECT_TRUE(page.out.contains(QStringLiteral("\"QZWeb " QZWEB_VERSION "\""))) << path;
    }
}

TEST_F(DebianPackage, InstalledHelpCollectionFindsItsManualBesideIt)
{
    // The program opens /usr/share/qzweb/qzweb.qhc; the manual it registers must resolve there,
    // not in the build folder it was made in.
    QHelpEngineCore engine(installed(QStringLiteral("/usr/share/qzweb/qzweb.qhc")));
    engine.setReadOnly(true);
    ASSERT_TRUE(engine.setupData()) << engine.error().toStdString();
    const QStringList manuals = engine.registeredDocumentations();
    ASSERT_EQ(manuals.size(), 1);
    EXPECT_EQ(QFileInfo(engine.documentationFileName(manuals.constFirst())).canonicalFilePath(),
              QFileInfo(installed(QStringLiteral("/usr/share/qzweb/qzweb.qch"))).canonicalFilePath());
}

TEST_F(DebianPackage, ExtractedProgramAnswersOnTheTerminalWithoutADisplay)
{
    struct Case
    {
        QString option;
        QString lang;
        int exitCode;
        bool onErrorOutput;
        QString firstLine;
    };
    const Case cases[] = {
        {QStringLiteral("--version"), QStringLiteral("C.UTF-8"), 0, false, QStringLiteral("QZWeb " QZWEB_VERSION)},
        {QStringLiteral("--version"), QStringLiteral("ja_JP.UTF-8"), 0, false, QStringLiteral("QZWeb " QZWEB_VERSION)},
        {QStringLiteral("--help"),
         QStringLiteral("C.UTF-8"),
         0,
         false,
         QStringLiteral("Usage: qzweb [OPTION] [FILE...]")},
        {QStringLiteral("--help"),
         QStringLiteral("ja_JP.UTF-8"),
         0,
         false,
         QStringLiteral("使い方: qzweb [オプション] [ファイル...]")},
        {QStringLiteral("--bogus"),
         QStringLiteral("C.UTF-8"),
         2,
         true,
         QStringLiteral("qzweb: unknown option: --bogus")},
        {QStringLiteral("--bogus"),
         QStringLiteral("ja_JP.UTF-8"),
         2,
         true,
         QStringLiteral("qzweb: 不明なオプションです: --bogus")},
    };
    for (const Case &c : cases) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("LANG"), c.lang);
        const ProcessResult answer = run(installed("/usr/bin/qzweb"), {c.option}, environment);
        const QString &shown = c.onErrorOutput ? answer.err : answer.out;
        const QString &silent = c.onErrorOutput ? answer.out : answer.err;
        EXPECT_EQ(answer.exitCode, c.exitCode) << c.option.toStdString() << " " << answer.err.toStdString();
        EXPECT_EQ(shown.section(u'\n', 0, 0), c.firstLine) << c.option.toStdString() << " " << c.lang.toStdString();
        EXPECT_TRUE(silent.isEmpty()) << silent.toStdString();
    }
}

} // namespace
