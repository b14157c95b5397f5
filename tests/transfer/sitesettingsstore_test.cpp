#include "transfer/sitesettingsstore.h"

#include "common/linefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

class SiteSettingsFile : public testing::Test
{
protected:
    QString path() const { return QDir(m_dir.path()).filePath(SiteSettingsStore::kFileName); }

    void writeBytes(const QByteArray &bytes) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static QByteArray readBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    SiteSettingsStore reloaded() const
    {
        SiteSettingsStore store;
        store.load(path());
        return store;
    }

    QTemporaryDir m_dir;
};

const SiteSettings kTlsPassive{ConnectionMethod::Ftps, DataConnectionMode::Passive, false, {}, {}};
const SiteSettings kSftp{
    ConnectionMethod::Sftp, DataConnectionMode::Auto, false, {}, {}, QStringLiteral("/home/u/.ssh/鍵 id_ed25519")};
const SiteSettings kPlainActiveQuiet{ConnectionMethod::Ftp, DataConnectionMode::Active, true, {}, {}};
// A site with its publishing folders: blanks, Japanese, a backslash and "=" in the paths.
const SiteSettings kWithFolders{ConnectionMethod::Ftps,
                                DataConnectionMode::Auto,
                                false,
                                {QStringLiteral("/home/u/ホーム ページ/a=b\\c")},
                                QStringLiteral("/public_html/日記")};

TEST_F(SiteSettingsFile, EverySettingComesBackAndOlderSitesGetPlainFtpInAutomaticMode)
{
    struct Case
    {
        const char *name;
        QString site;
        std::optional<SiteSettings> stored; // none: the site never had settings
        SiteSettings expected;
    };
    // Names a section line could mistake: brackets, an equals sign, a backslash, a line break.
    const QList<Case> cases = {
        {"older site",
         QStringLiteral("Old"),
         std::nullopt,
         SiteSettings{ConnectionMethod::Ftp, DataConnectionMode::Auto, false, {}, {}}},
        {"new site", QStringLiteral("New"), SiteSettings::forNewSite(), SiteSettings::forNewSite()},
        {"passive", QStringLiteral("[x]=y"), kTlsPassive, kTlsPassive},
        {"active, no warning", QStringLiteral("My Site\\n"), kPlainActiveQuiet, kPlainActiveQuiet},
        {"line break", QStringLiteral("a\nb ]"), kTlsPassive, kTlsPassive},
        {"japanese", QStringLiteral("日本語のサイト"), kPlainActiveQuiet, kPlainActiveQuiet},
        {"site folders", QStringLiteral("公開するサイト"), kWithFolders, kWithFolders},
        {"sftp", QStringLiteral("SSH のサイト"), kSftp, kSftp},
    };
    SiteSettingsStore store;
    for (const Case &c : cases) {
        if (c.stored)
            store.store(c.site, *c.stored);
    }
    EXPECT_TRUE(store.modified());
    store.write(path());
    EXPECT_FALSE(store.modified());
    EXPECT_EQ(QFileInfo(path()).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
    const SiteSettingsStore again = reloaded();
    EXPECT_FALSE(again.damaged());
    for (const Case &c : cases) {
        EXPECT_EQ(again.settings(c.site), c.expected) << c.name;
        EXPECT_EQ(again.contains(c.site), c.stored.has_value()) << c.name;
    }
    EXPECT_EQ(SiteSettings::forNewSite().security, ConnectionMethod::Ftps);
}

TEST_F(SiteSettingsFile, RenameAndRemoveKeepTheFileInStepAndUnknownKeysSurvive)
{
    // A later version's key, and a section of a site this one never touches.
    writeBytes("[A]\nsecurity=plain\ndataMode=active\nuploadLimit=64\n\n[B]\nsecurity=explicit-tls\n");
    SiteSettingsStore store = reloaded();
    EXPECT_FALSE(store.damaged());
    store.rename(QStringLiteral("A"), QStringLiteral("A2"));
    store.remove(QStringLiteral("B"));
    store.store(QStringLiteral("A2"), kPlainActiveQuiet);
    store.write(path());
    const QByteArray text = readBytes(path());
    EXPECT_TRUE(text.contains("uploadLimit=64")) << text.toStdString();
    EXPECT_FALSE(text.contains("[A]\n"));
    EXPECT_FALSE(text.contains("[B]"));
    const SiteSettingsStore again = reloaded();
    EXPECT_EQ(again.settings(QStringLiteral("A2")), kPlainActiveQuiet);
    EXPECT_FALSE(again.contains(QStringLiteral("A")));
}

TEST_F(SiteSettingsFile, ADamagedFileIsKeptBesideTheNewOneOnceSomethingChanged)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
    };
    const QList<Case> cases = {
        {"not UTF-8", "[A]\nsecurity=plain\n[\x93\xfa]\nsecurity=plain\n"},
        {"a line of no known form", "[A]\nsecurity=plain\ngarbage\n"},
        {"a key before any section", "security=plain\n[A]\nsecurity=plain\n"},
        {"an unknown value", "[A]\nsecurity=plain\n[B]\nsecurity=quantum\n"},
        {"a zero byte", QByteArray("[A]\nsecurity=plain\n\0[B]\n", 24)},
    };
    for (const Case &c : cases) {
        QFile::remove(LineFile::backupPath(path()));
        writeBytes(c.bytes);
        SiteSettingsStore store = reloaded();
        EXPECT_TRUE(store.damaged()) << c.name;
        // What could be read is used.
        EXPECT_EQ(store.settings(QStringLiteral("A")).security, ConnectionMethod::Ftp) << c.name;
        // Unchanged, the file is left as it is.
        store.write(path());
        EXPECT_EQ(readBytes(path()), c.bytes) << c.name;
        store.store(QStringLiteral("C"), kTlsPassive);
        store.write(path());
        EXPECT_EQ(readBytes(LineFile::backupPath(path())), c.bytes) << c.name;
        const SiteSettingsStore again = reloaded();
        EXPECT_FALSE(again.damaged()) << c.name;
        EXPECT_EQ(again.settings(QStringLiteral("C")), kTlsPassive) << c.name;
    }
}

TEST_F(SiteSettingsFile, AnUnknownSecurityIsFtpsWhateverTheWarningSaysAndItsSiteIsNamed)
{
    writeBytes("[A]\nsecurity=plain\n[B]\nsecurity=quantum\nplainWarning=off\n[C]\nsecurity=\ndataMode=passive\n");
    SiteSettingsStore store = reloaded();
    EXPECT_TRUE(store.damaged());
    EXPECT_EQ(store.unknownSecurity(), (QStringList{"B", "C"}));
    EXPECT_EQ(store.settings(QStringLiteral("A")).security, ConnectionMethod::Ftp);
    EXPECT_EQ(store.settings(QStringLiteral("B")),
              (SiteSettings{ConnectionMethod::Ftps, DataConnectionMode::Auto, true, {}, {}}));
    EXPECT_EQ(store.settings(QStringLiteral("C")),
              (SiteSettings{ConnectionMethod::Ftps, DataConnectionMode::Passive, false, {}, {}}));
    // Once the file is written the choice is FTPS in it too, and nothing is unknown any more.
    store.store(QStringLiteral("A"), kPlainActiveQuiet);
    store.write(path());
    const SiteSettingsStore again = reloaded();
    EXPECT_FALSE(again.damaged());
    EXPECT_TRUE(again.unknownSecurity().isEmpty());
    EXPECT_EQ(again.settings(QStringLiteral("B")).security, ConnectionMethod::Ftps);
}

} // namespace
