#pragma once

#include "FakePlatform.h"
#include "Outcomes.h"
#include "TempFolder.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/AccountRecord.h"
#include "app/files/IntegrityStamp.h"
#include "app/files/OptionsFile.h"
#include "base/AtomicFile.h"
#include "cipher/Base64.h"
#include "cipher/CipherService.h"
#include "cipher/ProtectedFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// An account file holding outer, with a stamp that matches it in the options file (defaults otherwise).
inline void writeOuterWithStamp(const TempFolder& folder, Platform& platform, const std::string& outer)
{
    folder.write("settings.dat", outer);
    AppState other(folder.str(), platform);
    ASSERT_TRUE(ComputeStamp(other).isOk());
    OptionsRecord r = OptionsRecord::defaults();
    (void)ReadOptionsFile(folder.str(), r);
    r.set(OptionsRecord::IntegrityStamp, other.ComputedStamp);
    ASSERT_TRUE(WriteOptionsFile(folder.str(), r).isOk());
}

// An account file with the given inner layer and a matching stamp, as the program would store it.
inline void writeAccountFileWithStamp(const TempFolder& folder, Platform& platform, const std::string& inner)
{
    Bytes data(inner.begin(), inner.end());
    SecretString k1 = kKey1, k2 = kKey2;
    const auto cipher = EncryptBytes(kProgramSuite, data, k1, k2);
    ASSERT_TRUE(cipher.result.isOk());
    writeOuterWithStamp(folder, platform, Base64Encode(cipher.value));
}

// The login "owner" / "first secret" / "2468" taken, with a key of the quickest settings under a new salt: the
// saves are encrypted with it, and derive no stronger key.
inline void UseQuickLogin(Login& l)
{
    constexpr KdfSettings kQuick{kMinKdfMemoryKiB, 1, 1};
    l.LoginUserName = "owner";
    l.LoginPassword1 = "first secret";
    l.LoginPassword2 = "2468";
    l.protection = NewProtection(kQuick, l.LoginUserName, l.LoginPassword1, l.LoginPassword2);
    l.kdfDefaults = kQuick;
}

// A program folder, a scripted desktop and the program-wide state, fresh for every test.
class CoreFixture : public ::testing::Test
{
public:
    void TearDown() override { SetFileFaultHookForTests({}); }

    TempFolder folder;
    FakePlatform platform;
    AppState state{folder.str(), platform};
    Login login;
    LockedFile locked; // where a load leaves a protected file

    static constexpr const char* kDefaultOptionsLine =
        "\"\",\"\",\"\",\"true\",\"false\",\"false\",\"true\",\"\",\"true\",\"true\"\r\n";

    // A header and three accounts; the header's login fields differ from the state's on purpose.
    static AccountTable sampleTable()
    {
        AccountTable t;
        t.push_back(MakeHeaderRecord("not", "from", "table"));
        t.push_back({1, "Bank", "https://bank.example", "Branch 12", "jdoe", "s3cret!"});
        t.push_back({2, "Mail", "mail.example.org", "", "john@example.org", "p@ss, word"});
        t.push_back(
            {3, "Shop", "", "Notes with a much longer text that needs more than one Base64 line, surely", "buyer", ""});
        return t;
    }

    // The table as a load returns it: the header from the login settings.
    AccountTable asLoaded(AccountTable t) const
    {
        t[0] = MakeHeaderRecord(login.LoginUserName, login.LoginPassword1, login.LoginPassword2);
        return t;
    }

    std::string stamp() const
    {
        OptionsRecord r;
        (void)ReadOptionsFile(folder.str(), r);
        return r.get(OptionsRecord::IntegrityStamp);
    }

    // Stores the table through the program's own save, with the default options in place.
    void saveSample(const AccountTable& table)
    {
        if (!folder.exists("config.dat"))
            folder.write("config.dat", kDefaultOptionsLine);
        const Result r = SaveAccountFile(state, login, table);
        ASSERT_EQ(outcome(r), "Ok") << r.message();
    }

    void writeAccountFileWithStamp(const std::string& inner) { ::writeAccountFileWithStamp(folder, platform, inner); }
    void writeOuterWithStamp(const std::string& outer) { ::writeOuterWithStamp(folder, platform, outer); }

    void makeBlockingFolder(const std::string& name) const
    {
        // A non-empty folder under a file's name: nothing can create, replace or delete that file.
        std::filesystem::create_directories(folder.file(name) + "/inside");
    }
};
