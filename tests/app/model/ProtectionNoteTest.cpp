// The note outside the data folder that remembers an account file encrypted with a login: an unencrypted file, or
#include "Submit.h"
// one encrypted under another salt, put in its place is never opened without a question.
#include "CoreFixture.h"
#include "Outcomes.h"

#include "app/files/ProtectionNote.h"
#include "app/model/Session.h"
#include "cipher/ProtectedFile.h"

#include <functional>

namespace {

// Saves the sample accounts into folder, encrypted with the login (a new salt each time) or not.
void save(const TempFolder& folder, FakePlatform& platform, bool encrypted)
{
    AppState s(folder.str(), platform);
    Login sLogin;
    if (encrypted)
        UseQuickLogin(sLogin);
    AccountTable table = CoreFixture::sampleTable();
    table[0] = MakeHeaderRecord("owner", "first secret", "2468");
    ASSERT_EQ(outcome(SaveAccountFile(s, sLogin, table)), "Ok");
}

} // namespace

TEST(ProtectionNoteTest, AFileNoLongerEncryptedOrEncryptedAnewIsOpenedOnlyAfterAYes)
{
    enum Replaced { Same, Plain, OtherSalt };
    struct Case
    {
        const char* what;
        Replaced replaced;
        bool noteKept;
        std::optional<Answer> answer; // to the question, when one is asked
        const char* first;
        bool noteAfter; // the folder still remembered (under the salt of the file in place)
    };
    // clang-format off
    const Case cases[] = {
        {"the same encrypted file",         Same,      true,  std::nullopt, "Login",      true},
        {"an unencrypted file, No",         Plain,     true,  Answer::No,   "EndProgram", true},
        {"an unencrypted file, Yes",        Plain,     true,  Answer::Yes,  "Main",       false},
        {"another salt, No",                OtherSalt, true,  Answer::No,   "EndProgram", true},
        {"another salt, Yes and the login", OtherSalt, true,  Answer::Yes,  "Login",      true},
        {"no note kept",                    Plain,     false, std::nullopt, "Main",       false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder, notes;
        FakePlatform platform;
        platform.protectionNote = c.noteKept ? notes.file("state/Coffernote/protected-folders") : "";
        save(folder, platform, true);
        const std::string remembered = c.noteKept ? notes.read("state/Coffernote/protected-folders") : "";
        if (c.noteKept) {
            EXPECT_TRUE(remembered.ends_with(" " + folder.str() + "\n")) << remembered;
        }
        if (c.replaced != Same)
            save(folder, platform, c.replaced == OtherSalt);
        const std::string inPlace = folder.read("settings.dat");
        if (c.noteKept) // the saves above stand for another computer's: the note is this computer's
            notes.write("state/Coffernote/protected-folders", remembered);
        if (c.answer)
            platform.queueAnswer(*c.answer);

        Session session(folder.str(), platform);
        EXPECT_EQ(outcome(session.start()), c.first);
        if (c.answer) {
            ASSERT_EQ(platform.messages.size(), 1u);
            const std::string file = folder.file("settings.dat");
            EXPECT_EQ(platform.messages[0].text,
                      c.replaced == Plain ? NoLongerEncryptedQuestion(file) : EncryptedAnewQuestion(file));
            EXPECT_EQ(platform.messages[0].style, MsgQuestionNoDefault);
        } else {
            EXPECT_TRUE(platform.messages.empty());
        }
        if (c.replaced == OtherSalt && c.answer == Answer::Yes) {
            session.loginCheck().start();
            for (char d : std::string("2468"))
                session.loginCheck().padDigit(d);
            EXPECT_EQ(outcome(SubmitLogin(session.loginCheck(), "owner", "first secret")), "Ok");
        }
        EXPECT_EQ(folder.read("settings.dat"), inPlace);
        if (!c.noteKept)
            continue;
        const std::string note = notes.read("state/Coffernote/protected-folders");
        if (!c.noteAfter) {
            EXPECT_EQ(note, "");
        } else if (c.replaced == OtherSalt && c.answer == Answer::Yes) {
            EXPECT_NE(note, remembered); // the new salt, once its login opened the file
            EXPECT_TRUE(note.ends_with(" " + folder.str() + "\n"));
        } else {
            EXPECT_EQ(note, remembered);
        }
    }
}

TEST(ProtectionNoteTest, TurningTheEncryptionOffForgetsTheFolderAndOthersStay)
{
    TempFolder folder, other, notes;
    FakePlatform platform;
    platform.protectionNote = notes.file("protected-folders");
    save(other, platform, true);
    save(folder, platform, true);
    const std::string both = notes.read("protected-folders");
    EXPECT_EQ(std::count(both.begin(), both.end(), '\n'), 2);
    save(folder, platform, false);
    const std::string left = notes.read("protected-folders");
    EXPECT_TRUE(both.starts_with(left));
    EXPECT_TRUE(left.ends_with(" " + other.str() + "\n"));
}
