// The program's list files (WEBUrl.ini, favorite.ini and the other line files) over any bytes a
// damaged or foreign file may hold. Reading never fails on content; what was read writes back to a
// file that reads the same; and the comma text of every line, written as the visited-page and
// favourites lists write their records, reads back as the same fields.
#include "common/linefile.h"
#include "common/usererror.h"
#include "fuzz/fuzzcheck.h"
#include "preview/commatext.h"
#include "preview/webliststore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

// Memory-backed when the system has it: the targets write a file per input.
const QTemporaryDir &workDir()
{
    static const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                       ? QStringLiteral("/dev/shm/qzweb-fuzz-XXXXXX")
                                       : QDir::tempPath() + QStringLiteral("/qzweb-fuzz-XXXXXX"));
    return dir;
}

QString pathOf(const char *name)
{
    return workDir().filePath(QString::fromLatin1(name));
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
}

void checkLines(const QStringList &lines)
{
    for (const QString &line : lines)
        FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
}

// The lines of the list file as the visited-page and favourites windows keep them: three fields
// each, as WebListStore::line writes them.
QStringList recordLines(const QStringList &lines)
{
    QStringList records;
    for (const QString &line : lines) {
        const QStringList fields = CommaText::split(line);
        FUZZ_CHECK(CommaText::split(CommaText::join(fields)) == fields);
        records.append(WebListStore::line(fields.value(0), fields.value(1), fields.value(2)));
    }
    return records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString file = pathOf("list.ini");
    const QString copy = pathOf("copy.ini");
    writeBytes(file, bytes);

    const QStringList lines = LineFile::read(file);
    checkLines(lines);
    LineFile::write(copy, lines);
    FUZZ_CHECK(LineFile::read(copy) == lines);

    const QStringList listLines = WebListStore::read(file);
    checkLines(listLines);
    for (const QString &line : listLines)
        FUZZ_CHECK(!line.contains(QChar(0)));

    // Records of any characters, as a web page's title may hold them.
    for (const QStringList &source : {listLines, LineFile::splitLines(QString::fromUtf8(bytes))}) {
        const QStringList records = recordLines(source);
        WebListStore::write(copy, records);
        FUZZ_CHECK(WebListStore::read(copy) == records);
    }
    return 0;
}
