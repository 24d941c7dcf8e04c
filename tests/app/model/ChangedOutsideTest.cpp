// A data folder that more than one computer writes: a whole account file under another stamp is used and the user
#include "Submit.h"
// told; a damaged one still asks; a stamp without its file ends the start with nothing changed. Each waits a
// moment first for what a synchronisation program may still be putting in place.
#include "CoreFixture.h"
#include "Outcomes.h"

#include "app/files/AccountVersions.h"
#include "app/files/ChangedOutside.h"
#include "app/model/Session.h"
#include "cipher/ProtectedFile.h"

#include <algorithm>
#include <functional>

namespace {

const std::string kUsed = "The account file was changed outside this copy of Coffernote, by another computer or a "
                          "restored copy:\r\n<folder>/settings.dat\r\nIts accounts are used, and its integrity stamp "
                          "was written anew.";
const std::string kUsedReadOnly =
    "The account file was changed outside this copy of Coffernote, by another computer or a restored "
    "copy:\r\n<folder>/settings.dat\r\nIts accounts are used; its integrity stamp could not be written anew:\r\nthis "
    "copy of Coffernote does not hold the lock on its data folder; another copy may be using it";
const std::string kCipher = "The data cannot be decrypted: it is damaged or was not encrypted with these keys.";
const std::string kDamaged = "Coffernote is unable to start.  The\r\ndata file has been damaged.  Restore  \r\n"
                             "default settings?  Responding \r\n'yes' will delete all saved accounts.  ";
const std::string kMissing =
    "Coffernote did not find its account file:\r\n<folder>/settings.dat\r\nThe integrity stamp in config.dat names an "
    "account file that is not there: a save from another computer may still be arriving, or the file was "
    "lost.\r\nStart Coffernote again in a moment. If the file does not come back, its earlier versions are kept "
    "in\r\n<folder>/versions\r\n(copy one back as settings.dat to use it); to start with no accounts, delete "
    "config.dat.\r\nNothing was changed or deleted.  The program will now close.";

AccountTable elsewhere()
{
    AccountTable t = CoreFixture::sampleTable();
    t[0] = MakeHeaderRecord("owner", "first secret", "2468");
    t.push_back({4, "Kilo", "", "", "added elsewhere", "k"});
    return t;
}

// The settings.dat another computer saved: the accounts above, under the login when encrypted.
std::string savedElsewhere(bool encrypted)
{
    TempFolder other;
    FakePlatform p;
    AppState s(other.str(), p);
    Login sLogin;
    if (encrypted)
        UseQuickLogin(sLogin);
    EXPECT_EQ(outcome(SaveAccountFile(s, sLogin, elsewhere())), "Ok");
    return other.read("settings.dat");
}

std::string withFolder(std::string text, const std::string& folder)
{
    for (std::size_t at; (at = text.find("<folder>")) != std::string::npos;)
        text.replace(at, 8, folder);
    return text;
}

} // namespace

TEST(ChangedOutsideTest, WholeFilesAreUsedDamagedOnesAskAndAMissingOneChangesNothing)
{
    enum Stamp { Kept, Anew, Emptied };
    using Change = std::function<void(const TempFolder&)>;
    struct Case
    {
        const char* what;
        Change change; // after this computer saved its own three accounts
        bool holdsLock;
        const char* first;              // what the start comes to
        std::vector<std::string> texts; // every message, in order
        Stamp stamp;
        std::size_t accounts; // in the table, once the start (and the login) is over
        bool waits = true;    // for a file or a stamp still arriving, in vain
    };
    const Change whole = [](const TempFolder& f) { f.write("settings.dat", savedElsewhere(false)); };
    const Change encrypted = [](const TempFolder& f) { f.write("settings.dat", savedElsewhere(true)); };
    const Change othersCanWrite = [&](const TempFolder& f) {
        whole(f);
        std::filesystem::permissions(f.file("settings.dat"), std::filesystem::perms::group_write,
                                     std::filesystem::perm_options::add);
    };
    const Change damaged = [](const TempFolder& f) {
        std::string b = f.read("settings.dat");
        b[b.size() / 2] ^= 0x01;
        f.write("settings.dat", b);
    };
    const Change lost = [](const TempFolder& f) {
        f.write("settings2.dat", "not the journal's");
        std::filesystem::remove(f.file("settings.dat"));
        std::filesystem::create_directory(f.file("versions")); // a folder this version keeps versions in
    };
    const Change lastDeleted = [](const TempFolder& f) {
        FakePlatform p;
        AppState s(f.str(), p);
        Login sLogin;
        ASSERT_EQ(outcome(SaveAccountFile(s, sLogin, {MakeHeaderRecord("", "", "")})), "Ok");
    };
    const Change emptiedBefore = [](const TempFolder& f) { std::filesystem::remove(f.file("settings.dat")); };
    // clang-format off
    const Case cases[] = {
        {"whole default file, another stamp",   whole,          true,  "Main",       {kUsed},             Anew, 4},
        {"the same, read-only",                 whole,          false, "Main",       {kUsedReadOnly},     Kept, 4},
        {"whole encrypted file, another stamp", encrypted,      true,  "Login",      {kUsed},             Anew, 4},
        {"damaged, another stamp",              damaged,        true,  "EndProgram", {kCipher, kDamaged}, Kept, 0},
        {"whole, but others can write it",      othersCanWrite, true,  "EndProgram", {kDamaged},          Kept, 0},
        {"the stamp names a missing file",      lost,           true,  "EndProgram", {kMissing},          Kept, 0},
        {"the last account deleted",            lastDeleted,    true,  "Main",       {},                  Kept, 0, false},
        {"emptied by an earlier version",       emptiedBefore,  true,  "Main",       {},                  Emptied, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        FakePlatform platform;
        {
            AppState ours(folder.str(), platform);
            Login oursLogin;
            ASSERT_TRUE(WriteOptionsFile(folder.str(), OptionsRecord::defaults()).isOk());
            ASSERT_EQ(outcome(SaveAccountFile(ours, oursLogin, CoreFixture::sampleTable())), "Ok");
        }
        c.change(folder);
        auto snapshot = [&] {
            std::vector<std::string> files;
            for (const char* name : {"settings.dat", "settings2.dat", "config.dat"})
                files.push_back(folder.exists(name) ? folder.read(name) : "-");
            files.push_back(std::to_string(ListVersions(folder.str()).size()));
            return files;
        };
        const std::vector<std::string> before = snapshot();
        platform.holdsLock = c.holdsLock;
        if (std::find(c.texts.begin(), c.texts.end(), kDamaged) != c.texts.end())
            platform.queueAnswer(Answer::No);
        Session session(folder.str(), platform);
        EXPECT_EQ(outcome(session.start()), c.first);
        if (std::string(c.first) == "Login") {
            EXPECT_TRUE(platform.messages.empty()); // said once the login opened the file
            session.loginCheck().start();
            for (char d : std::string("2468"))
                session.loginCheck().padDigit(d);
            EXPECT_EQ(outcome(SubmitLogin(session.loginCheck(), "owner", "first secret")), "Ok");
        }
        std::vector<std::string> texts;
        for (const auto& m : platform.messages) {
            texts.push_back(m.text);
            if (m.text.starts_with("The account file was changed")) {
                EXPECT_EQ(m.style, MsgInformation);
            } else if (m.text.starts_with("Coffernote did not find")) {
                EXPECT_EQ(m.style, MsgExclamation);
            }
        }
        std::vector<std::string> expected;
        for (const std::string& t : c.texts)
            expected.push_back(withFolder(t, folder.str()));
        EXPECT_EQ(texts, expected);
        EXPECT_EQ(session.table().empty() ? 0 : session.table().size() - 1, c.accounts);

        std::vector<std::string> after = before;
        if (c.stamp == Anew) {
            AppState check(folder.str(), platform);
            ASSERT_TRUE(ComputeStamp(check).isOk());
            OptionsRecord options = OptionsRecord::defaults();
            options.set(OptionsRecord::IntegrityStamp, check.ComputedStamp);
            after[2] = FormatOptionsLine(options); // the stamp alone was written
        } else if (c.stamp == Emptied) {
            OptionsRecord options = OptionsRecord::defaults();
            options.set(OptionsRecord::IntegrityStamp, "");
            after[2] = FormatOptionsLine(options);
        }
        EXPECT_EQ(snapshot(), after);
        // Only a stamp without its file waits for one to arrive.
        EXPECT_EQ(platform.pausedMs, c.waits ? kAccountFileArrivalMs : 0);
    }
}

// Another computer's save arriving as the start reads: its account file, or its options file, a moment late.
TEST(ChangedOutsideTest, WhatArrivesWhileTheStartWaitsIsUsedWithoutAWord)
{
    struct Case
    {
        const char* late;
        bool gone;        // else an older one is in its place
        bool via = false; // another save's arrives on the way
    };
    for (const Case c : {Case{"settings.dat", true}, Case{"config.dat", false}, Case{"config.dat", true},
                         Case{"config.dat", false, true}}) {
        SCOPED_TRACE(std::string(c.late) + (c.gone ? " gone" : " older") + (c.via ? ", another on the way" : ""));
        TempFolder folder;
        FakePlatform platform;
        std::string before;
        {
            AppState ours(folder.str(), platform);
            Login oursLogin;
            ASSERT_EQ(outcome(SaveAccountFile(ours, oursLogin, CoreFixture::sampleTable())), "Ok");
            before = folder.read("config.dat");
            ASSERT_EQ(outcome(SaveAccountFile(ours, oursLogin, elsewhere())),
                      "Ok"); // a second save: the versions exist
        }
        const std::string arriving = folder.read(c.late), options = folder.read("config.dat");
        if (c.gone)
            std::filesystem::remove(folder.file(c.late));
        else
            folder.write(c.late, before);
        platform.whilePaused = [&] {
            if (c.via && platform.pausedMs == 60) {
                OptionsRecord another = OptionsRecord::defaults();
                another.set(OptionsRecord::IntegrityStamp, "another save's");
                folder.write(c.late, FormatOptionsLine(another));
            }
            if (platform.pausedMs == 100)
                folder.write(c.late, arriving);
        };
        Session session(folder.str(), platform);
        EXPECT_EQ(outcome(session.start()), "Main");
        EXPECT_TRUE(platform.messages.empty());
        EXPECT_EQ(session.table().size(), elsewhere().size());
        EXPECT_EQ(platform.pausedMs, 100);
        EXPECT_EQ(folder.read("config.dat"), options); // not stamped anew, nor written with the defaults
    }
}
