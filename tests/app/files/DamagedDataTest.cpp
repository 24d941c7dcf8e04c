#include "CoreFixture.h"
#include "Outcomes.h"

#include "app/files/DamagedData.h"

class DamagedDataTest : public CoreFixture
{
protected:
    static constexpr const char* kOptionsWithStamp =
        "\"\",\"\",\"STAMP==\",\"false\",\"true\",\"false\",\"true\",\"\",\"false\",\"true\"\r\n";
    static constexpr const char* kOptionsCleared =
        "\"\",\"\",\"\",\"false\",\"true\",\"false\",\"true\",\"\",\"false\",\"true\"\r\n";

    void expectQuestionAsked()
    {
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].text, "Coffernote is unable to start.  The\r\n"
                                             "data file has been damaged.  Restore  \r\n"
                                             "default settings?  Responding \r\n"
                                             "'yes' will delete all saved accounts.  ");
        EXPECT_EQ(platform.messages[0].style, 36);
        EXPECT_EQ(platform.messages[0].caption, "Coffernote");
    }
};

TEST_F(DamagedDataTest, NoEndsTheProgramAndTouchesNothing)
{
    folder.write("settings.dat", "accounts");
    folder.write("config.dat", kOptionsWithStamp);
    platform.queueAnswer(Answer::No);
    EXPECT_EQ(outcome(RecoverDamagedData(state)), "EndProgram");
    expectQuestionAsked();
    EXPECT_EQ(platform.endCount, 0); // the caller ends the program
    EXPECT_EQ(folder.read("settings.dat"), "accounts");
    EXPECT_EQ(folder.read("config.dat"), kOptionsWithStamp);
}

TEST_F(DamagedDataTest, YesDeletesTheAccountsAndClearsOnlyTheStamp)
{
    folder.write("settings.dat", "accounts");
    folder.write("settings2.dat", "left over");
    folder.write("config.dat", kOptionsWithStamp);
    platform.queueAnswer(Answer::Yes);
    EXPECT_EQ(outcome(RecoverDamagedData(state)), "Ok");
    expectQuestionAsked();
    EXPECT_FALSE(platform.ended());
    EXPECT_FALSE(folder.exists("settings.dat"));
    EXPECT_EQ(folder.read("config.dat"), kOptionsCleared);
    EXPECT_EQ(folder.read("settings2.dat"), "left over"); // not this procedure's business
}

TEST_F(DamagedDataTest, YesWithoutAccountFileOnlyClearsTheStamp)
{
    folder.write("config.dat", kOptionsWithStamp);
    platform.queueAnswer(Answer::Yes);
    EXPECT_EQ(outcome(RecoverDamagedData(state)), "Ok");
    EXPECT_EQ(folder.read("config.dat"), kOptionsCleared);
}

TEST_F(DamagedDataTest, YesWithoutOptionsFileWritesUnassignedValuesAsNothing)
{
    folder.write("settings.dat", "accounts");
    platform.queueAnswer(Answer::Yes);
    EXPECT_EQ(outcome(RecoverDamagedData(state)), "Ok");
    EXPECT_EQ(folder.read("config.dat"), ",,\"\",,,,,,,\r\n");
}

TEST_F(DamagedDataTest, ValuesReadOnceStayForTheNextCall)
{
    folder.write("config.dat", kOptionsWithStamp);
    platform.queueAnswer(Answer::Yes);
    ASSERT_EQ(outcome(RecoverDamagedData(state)), "Ok");
    std::filesystem::remove(folder.file("config.dat"));
    platform.queueAnswer(Answer::Yes);
    ASSERT_EQ(outcome(RecoverDamagedData(state)), "Ok");
    EXPECT_EQ(folder.read("config.dat"), kOptionsCleared);
}

TEST_F(DamagedDataTest, AccountFileThatCannotBeDeletedEndsTheProgramWithAMessage)
{
    makeBlockingFolder("settings.dat");
    folder.write("config.dat", kOptionsWithStamp);
    platform.queueAnswer(Answer::Yes);
    EXPECT_EQ(outcome(RecoverDamagedData(state)), "EndProgram");
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[1].style, 48);
    EXPECT_NE(platform.messages[1].text.find(folder.file("settings.dat")), std::string::npos);
    EXPECT_EQ(platform.endCount, 0); // the caller ends the program
    EXPECT_EQ(folder.read("config.dat"), kOptionsWithStamp);
}

// As a save: a copy without the data folder's lock deletes and writes nothing, and ends saying why.
TEST_F(DamagedDataTest, YesWithoutTheLockChangesNothing)
{
    folder.write("settings.dat", "accounts");
    folder.write("config.dat", kOptionsWithStamp);
    platform.holdsLock = false;
    platform.queueAnswer(Answer::Yes);
    EXPECT_EQ(outcome(RecoverDamagedData(state)), "EndProgram");
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[1].text,
              "Coffernote could not delete the damaged data file\r\n" + folder.file("settings.dat") +
                  "\r\n(this copy of Coffernote does not hold the lock on its data folder; another copy may be using "
                  "it)\r\nThe program will now close; nothing else was changed.");
    EXPECT_EQ(folder.read("settings.dat"), "accounts");
    EXPECT_EQ(folder.read("config.dat"), kOptionsWithStamp);
    folder.write("config.dat", kOptionsWithStamp);
    std::filesystem::remove(folder.file("settings.dat"));
    platform.queueAnswer(Answer::Yes);
    EXPECT_EQ(outcome(RecoverDamagedData(state)), "Ok");
    EXPECT_EQ(folder.read("config.dat"), kOptionsWithStamp); // the stamp stays: this copy may not write it
}
