// The inner layer: records of six quoted fields, each sealed on its own. Fields cannot be forged, but whole
// sealed fields can be moved, repeated or dropped by anyone who has an account file.
#include "FuzzTargets.h"

#include "FuzzPlatform.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"

int FuzzInnerLayer(const std::uint8_t* data, std::size_t size)
{
    const AccountRecord sentinel{5, "kept", "w", "n", "u", "p"};
    AccountTable table{sentinel};
    if (!DecodeInnerLayer(std::string(reinterpret_cast<const char*>(data), size), table)) {
        FuzzCheck(table == AccountTable{sentinel}, "a failed decode leaves the table as it was");
        return 0;
    }
    FuzzCheck(!table.empty(), "a decoded table holds a record");

    // Written again under the header's login fields, the table reads back the same.
    FuzzPlatform platform;
    AppState state("", platform);
    Login login;
    login.LoginUserName = table[0].Notes;
    login.LoginPassword1 = table[0].UserId;
    login.LoginPassword2 = table[0].Password;
    const Outcome<std::string> encoded = EncodeInnerLayer(login, table);
    FuzzCheck(encoded.result.isOk(), "a decoded table encodes");
    const std::string& again = encoded.value;
    AccountTable back;
    FuzzCheck(DecodeInnerLayer(again, back) && back.size() == table.size(), "the encoded table decodes");
    table[0] = MakeHeaderRecord(login.LoginUserName, login.LoginPassword1, login.LoginPassword2);
    FuzzCheck(back == table, "the table round-trips under its header");
    return 0;
}
