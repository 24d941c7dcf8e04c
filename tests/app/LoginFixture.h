#pragma once

#include "CoreFixture.h"

#include "app/Paths.h"

// An account file left by an earlier run whose header holds the given login, with a matching stamp.
inline void storeLogin(const TempFolder& folder, const std::string& user, const std::string& password1,
                       const std::string& password2)
{
    if (!folder.exists(kOptionsFileName)) {
        ASSERT_TRUE(WriteOptionsFile(folder.str(), OptionsRecord::defaults()));
    }
    FakePlatform quiet;
    AppState earlier(folder.str(), quiet);
    earlier.LoginUserName = user;
    earlier.LoginPassword1 = password1;
    earlier.LoginPassword2 = password2;
    AccountTable table{MakeHeaderRecord(user, password1, password2),
                       {1, "Bank", "example.org", "notes of Bank", "user", "pw"}};
    const SaveResult saved = SaveAccountFile(earlier, table);
    ASSERT_EQ(saved.status, SaveResult::Saved) << saved.error;
}
