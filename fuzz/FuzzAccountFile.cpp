// The whole load of an account file, from the bytes on disk to the table, stamp check and recovery included.
// The first input byte sets the scene:
//   bits 0-1  the options file: 0 holds the matching stamp, 1 is missing, 2 holds an empty stamp, 3 a stale one
//   bit 2     the rest is an inner layer, sealed as a save seals it (else it is the file's bytes as they stand)
//   bit 3     the recovery question is answered Yes (else No)
#include "FuzzTargets.h"

#include "FuzzPlatform.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/IntegrityStamp.h"
#include "app/files/OptionsFile.h"
#include "cipher/Base64.h"
#include "cipher/CipherService.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

// One program folder for the whole run, emptied before each input.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "coffernote-fuzz-XXXXXX").string();
        FuzzCheck(::mkdtemp(pattern.data()) != nullptr, "a scratch folder can be made");
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    void clear() const
    {
        for (const auto& entry : fs::directory_iterator(path_))
            fs::remove_all(entry.path());
    }
    std::string str() const { return path_.string(); }
    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The outer layer a save would write around inner.
std::string sealOuter(const std::string& inner)
{
    Bytes data(inner.begin(), inner.end());
    SecretString key1 = kKey1, key2 = kKey2;
    const Outcome<Bytes> cipher = EncryptBytes(kProgramSuite, data, key1, key2);
    FuzzCheck(cipher.result.isOk(), "a save can seal any inner layer");
    return Base64Encode(cipher.value);
}

void writeOptions(const ScratchFolder& folder, Platform& platform, int mode, const std::string& fileBytes)
{
    if (mode == 1)
        return;
    AppState other(folder.str(), platform);
    FuzzCheck(ComputeStampOf(other, mode == 0 ? fileBytes : std::string("stale")).isOk(), "a stamp can be computed");
    OptionsRecord options = OptionsRecord::defaults();
    options.set(OptionsRecord::IntegrityStamp, mode == 2 ? std::string() : other.ComputedStamp);
    writeFile(folder.file("config.dat"), FormatOptionsLine(options));
}

} // namespace

int FuzzAccountFile(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const ScratchFolder folder;
    folder.clear();
    const int scene = data[0];
    FuzzPlatform platform(scene & 8 ? Answer::Yes : Answer::No);
    std::string fileBytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if (scene & 4)
        fileBytes = sealOuter(fileBytes);
    writeFile(folder.file("settings.dat"), fileBytes);
    writeOptions(folder, platform, scene & 3, fileBytes);

    AppState state(folder.str(), platform);
    Login login;
    LockedFile locked;
    OptionsRecord options;
    AccountTable table{AccountRecord{9, "before", "", "", "", ""}};
    const LoadResult result = LoadAccountFile(state, login, options, table, locked);

    FuzzCheck(platform.ends == 0, "the core never ends the program itself");
    FuzzCheck(!result.result.isFailed(), "a load goes on or says the program must end");
    FuzzCheck(result.result.mustEnd() || !table.empty(), "a load that goes on leaves a table");
    // The load never rewrites the account file; only a Yes to the recovery question deletes it.
    if (fs::exists(folder.file("settings.dat")))
        FuzzCheck(readFile(folder.file("settings.dat")) == fileBytes, "the account file is left as it was");
    else
        FuzzCheck(platform.questions > 0 && (scene & 8), "the account file goes only on a Yes");
    FuzzCheck(!result.result.isOk() || result.value != LoadKind::Recovered || table.size() == 1,
              "a recovery leaves the header alone");
    return 0;
}
