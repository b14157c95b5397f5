#include "transfer/publishuploader.h"

#include "support/ftp/localfiles.h"
#include "support/ftp/scriptedsession.h"
#include "transfer/ftp/ftpremotefiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

// Each file as a publish hands it over: whether the server has a copy, and its listed mode.
struct Upload
{
    const char *name;
    bool replacing;
    std::optional<int> oldMode;
};

// The replies a server gives one upload: the data connection, then its end.
void stored(ScriptedFtpServer &server)
{
    server.receive()
        .offerExtendedPassive()
        .answer("150 Ok to send data.")
        .receiveData()
        .reply("226 Transfer complete.");
}

void storeRefused(ScriptedFtpServer &server, const std::string &line)
{
    server.receive().offerExtendedPassive().answer(line);
}

void renamed(ScriptedFtpServer &server)
{
    server.answer("350 Ready for RNTO.").answer("250 Rename successful.");
}

struct UploadCase
{
    const char *name;
    std::optional<int> newFileMode; // as the last publish learnt it
    std::vector<Upload> uploads;
    std::function<void(ScriptedFtpServer &)> script;
    Commands commands; // after the login, EPSV left out
    int notes;         // how many things the user is told
};

class RefusedUploads : public ScriptedSession, public testing::WithParamInterface<UploadCase>
{};

// What a server refuses of a replacing upload (a temporary name, SITE CHMOD, the rename) falls
// back to the upload under the file's own name, and is asked again only when it concerned the
// one file.
TEST_P(RefusedUploads, FallBackToTheDirectUploadAndRememberOnlyTheServersWay)
{
    const UploadCase &c = GetParam();
    m_client.settings().dataMode = DataConnectionMode::Passive;
    scriptLogin(m_server);
    c.script(m_server);
    m_server.start();
    m_client.connect();
    const std::filesystem::path page = m_folder / "page.html";
    writeFile(page, "<p>page</p>");
    FtpRemoteFiles files(m_client);
    PublishUploader uploader(files, "/www", c.newFileMode);
    for (const Upload &upload : c.uploads)
        uploader.send(page.string(), upload.name, upload.replacing, upload.oldMode, {});
    Commands commands;
    for (const std::string &command : finish()) {
        if (command != "EPSV")
            commands.push_back(command);
    }
    EXPECT_EQ(Commands(commands.begin() + static_cast<std::ptrdiff_t>(loginCommands.size()), commands.end() - 1),
              c.commands);
    EXPECT_EQ(uploader.notes().size(), c.notes) << uploader.notes().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Servers,
    RefusedUploads,
    testing::Values(UploadCase{"ModeSetWhereTheServersWouldDiffer",
                               0600,
                               {{"a.html", true, 0644}, {"new.html", false, std::nullopt}, {"b.html", true, 0600}},
                               [](ScriptedFtpServer &s) {
                                   stored(s);
                                   s.answer("200 SITE CHMOD command ok.");
                                   renamed(s);
                                   stored(s);
                                   renamed(s);
                                   stored(s);
                                   renamed(s);
                               },
                               {"STOR /www/.qzweb-a.html.part",
                                "SITE chmod 644 /www/.qzweb-a.html.part",
                                "RNFR /www/.qzweb-a.html.part",
                                "RNTO /www/a.html",
                                "STOR /www/.qzweb-new.html.part",
                                "RNFR /www/.qzweb-new.html.part",
                                "RNTO /www/new.html",
                                "STOR /www/.qzweb-b.html.part",
                                "RNFR /www/.qzweb-b.html.part",
                                "RNTO /www/b.html"},
                               0},
                    UploadCase{"ModeSetWhileTheServersIsUnknown",
                               std::nullopt,
                               {{"a.html", true, 0644}},
                               [](ScriptedFtpServer &s) {
                                   stored(s);
                                   s.answer("200 SITE CHMOD command ok.");
                                   renamed(s);
                               },
                               {"STOR /www/.qzweb-a.html.part",
                                "SITE chmod 644 /www/.qzweb-a.html.part",
                                "RNFR /www/.qzweb-a.html.part",
                                "RNTO /www/a.html"},
                               0},
                    UploadCase{"SiteChmodUnknown",
                               0600,
                               {{"a.cgi", true, 0755}, {"b.cgi", true, 0755}, {"c.html", true, 0600}},
                               [](ScriptedFtpServer &s) {
                                   stored(s);
                                   s.answer("500 Unknown SITE command.").answer("250 Delete operation successful.");
                                   stored(s);
                                   stored(s);
                                   stored(s);
                                   renamed(s);
                               },
                               {"STOR /www/.qzweb-a.cgi.part",
                                "SITE chmod 755 /www/.qzweb-a.cgi.part",
                                "DELE /www/.qzweb-a.cgi.part",
                                "STOR /www/a.cgi",
                                "STOR /www/b.cgi",
                                "STOR /www/.qzweb-c.html.part",
                                "RNFR /www/.qzweb-c.html.part",
                                "RNTO /www/c.html"},
                               1},
                    UploadCase{"SpecialBitsKeptByTheOldFile",
                               0644,
                               {{"setuid.cgi", true, 04755}},
                               [](ScriptedFtpServer &s) { stored(s); },
                               {"STOR /www/setuid.cgi"},
                               1},
                    UploadCase{"DotNamesRefused",
                               0644,
                               {{"a.html", false, std::nullopt}, {"b.html", true, 0644}},
                               [](ScriptedFtpServer &s) {
                                   storeRefused(s, "553 Could not create file.");
                                   stored(s);
                                   stored(s);
                               },
                               {"STOR /www/.qzweb-a.html.part", "STOR /www/a.html", "STOR /www/b.html"},
                               1},
                    UploadCase{"OneRenameRefused",
                               0644,
                               {{"a.html", true, 0644}, {"b.html", true, 0644}},
                               [](ScriptedFtpServer &s) {
                                   stored(s);
                                   s.answer("350 Ready for RNTO.").answer("550 Rename failed.");
                                   s.answer("250 Delete operation successful.");
                                   stored(s);
                                   stored(s);
                                   renamed(s);
                               },
                               {"STOR /www/.qzweb-a.html.part",
                                "RNFR /www/.qzweb-a.html.part",
                                "RNTO /www/a.html",
                                "DELE /www/.qzweb-a.html.part",
                                "STOR /www/a.html",
                                "STOR /www/.qzweb-b.html.part",
                                "RNFR /www/.qzweb-b.html.part",
                                "RNTO /www/b.html"},
                               1},
                    UploadCase{"NoRenameAtAll",
                               0644,
                               {{"a.html", true, 0644}, {"b.html", true, 0644}},
                               [](ScriptedFtpServer &s) {
                                   stored(s);
                                   // RNTO goes right behind RNFR, and is refused as well.
                                   s.answer("502 Command not implemented.").answer("503 RNFR required first.");
                                   s.answer("250 Delete operation successful.");
                                   stored(s);
                                   stored(s);
                               },
                               {"STOR /www/.qzweb-a.html.part",
                                "RNFR /www/.qzweb-a.html.part",
                                "RNTO /www/a.html",
                                "DELE /www/.qzweb-a.html.part",
                                "STOR /www/a.html",
                                "STOR /www/b.html"},
                               1}),
    [](const testing::TestParamInfo<UploadCase> &info) { return std::string(info.param.name); });

} // namespace
