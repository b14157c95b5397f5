// The preview's choices share one small file: each is written by its key, and writing one keeps
// the others; a damaged or foreign file gives each choice its default.
#include "preview/previewchoices.h"

#include "preview/autorefreshsetting.h"
#include "preview/previewwidth.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ChoicesCase
{
    const char *name;
    QByteArray before; // the file as it was (null: none)
    AutoRefreshMode refresh;
    int width;
    AutoRefreshMode refreshAfter; // read back after both were written
    int widthAfter;
};

const ChoicesCase kCases[] = {
    {"no file yet", QByteArray(), AutoRefreshMode::Manual, 390, AutoRefreshMode::Manual, 390},
    {"an older file with the refresh alone",
     "[Preview]\nautoRefresh=saved\n",
     AutoRefreshMode::WhenIdle,
     414,
     AutoRefreshMode::WhenIdle,
     414},
    {"CR LF and blanks around",
     "[Preview]\r\n pageWidth = 360 \r\n",
     AutoRefreshMode::WhenSaved,
     0,
     AutoRefreshMode::WhenSaved,
     0},
    {"words this program never wrote",
     "pageWidth=1000\nautoRefresh=often\n\x01\x02",
     AutoRefreshMode::Manual,
     360,
     AutoRefreshMode::Manual,
     360},
};

class PreviewChoicesTest : public ::testing::TestWithParam<ChoicesCase>
{};

TEST_P(PreviewChoicesTest, WritingOneKeepsTheOther)
{
    const ChoicesCase &c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(PreviewChoices::kFileName);
    if (!c.before.isNull()) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.before);
    }
    AutoRefreshSetting::write(path, c.refresh);
    PreviewWidth::write(path, c.width);
    EXPECT_EQ(AutoRefreshSetting::read(path), c.refreshAfter);
    EXPECT_EQ(PreviewWidth::read(path), c.widthAfter);
    // And in the other order, over what is there now.
    PreviewWidth::write(path, c.width);
    AutoRefreshSetting::write(path, c.refresh);
    EXPECT_EQ(AutoRefreshSetting::read(path), c.refreshAfter);
    EXPECT_EQ(PreviewWidth::read(path), c.widthAfter);
}

INSTANTIATE_TEST_SUITE_P(Files, PreviewChoicesTest, ::testing::ValuesIn(kCases), [](const auto &info) {
    return "case" + std::to_string(info.index);
});

TEST(PreviewWidth, DamagedValuesGiveTheComputersWidth)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(PreviewChoices::kFileName);
    EXPECT_EQ(PreviewWidth::read(path), 0) << "no file";
    for (const char *text : {"", "[Preview]\npageWidth=1000\n", "pageWidth=\n", "pagewidth=390\n", "pageWidth 390\n"}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        EXPECT_EQ(PreviewWidth::read(path), 0) << text;
    }
}

TEST(PreviewWidth, APhoneAsksAsAPhoneOfTheSameEngine)
{
    const QString desktop = QStringLiteral("Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
                                           "QtWebEngine/6.4.2 Chrome/102.0.5005.177 Safari/537.36");
    const QString phone = PreviewWidth::phoneUserAgent(desktop);
    EXPECT_EQ(phone,
              QStringLiteral("Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) "
                             "QtWebEngine/6.4.2 Chrome/102.0.5005.177 Mobile Safari/537.36"));
    EXPECT_EQ(PreviewWidth::phoneUserAgent(phone), phone);
}

} // namespace
