#include "app/files/AccountFile.h"

#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/Characters.h"
#include "app/files/DamagedData.h"
#include "app/files/IntegrityStamp.h"
#include "app/files/OptionsFile.h"
#include "app/files/Parallel.h"
#include "app/files/Paths.h"
#include "app/files/Utf8Text.h"
#include "base/AtomicFile.h"
#include "cipher/Base64.h"
#include "cipher/CipherComponent.h"
#include "cipher/CipherService.h"
#include "cipher/ProtectedFile.h"
#include "cipher/SecureWipe.h"
#include "platform/Platform.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

std::string LockNotHeldReason(const AppState& state)
{
    if (state.platform.readOnlyRun())
        return "this copy of Coffernote opened the data files in " + state.programFolder + " for reading only";
    return kLockLostReason;
}

std::string FormatRecordNo(std::int16_t n)
{
    // The sign position: a blank for zero and positive numbers, the minus sign for negative ones.
    std::string text = std::to_string(n);
    if (n >= 0)
        text.insert(text.begin(), ' ');
    return text;
}

namespace {

// Each field's stored length follows from its plain length alone, so the whole inner layer is sized once and
// the records are sealed on every core straight into their places: a large file saves in a fraction of the time.
std::size_t storedFieldLength(std::size_t plainSize)
{
    return Base64EncodedLength(plainSize + CipherComponent::kOverhead);
}

// A line: six quoted fields, five commas, CR LF.
std::size_t storedLineLength(const std::array<std::string_view, 6>& fields)
{
    std::size_t line = 6 * 2 + 5 + 2;
    for (std::string_view f : fields)
        line += storedFieldLength(f.size());
    return line;
}

// Below this many records per core a thread costs more than it saves.
constexpr std::size_t kRecordsPerWorker = 256;

const int kAlgorithmOfProgramSuite = AlgorithmForSuite(kProgramSuite).value_or(-1);

using Workers = std::vector<std::unique_ptr<CipherComponent::Worker>>;

// One cipher worker per thread, all created here on the calling thread, as the cipher cache requires.
bool makeWorkers(std::size_t count, Workers& workers)
{
    const std::string key1 = kKey1, key2 = kKey2;
    for (std::size_t w = 0; w < count; ++w) {
        workers.push_back(std::make_unique<CipherComponent::Worker>(kAlgorithmOfProgramSuite, key1, key2, w > 0));
        if (workers.back()->status() != CipherComponent::Ok)
            return false;
    }
    return true;
}

template <class Out> bool encodeInner(const Login& login, const AccountTable& table, Out& out)
{
    const std::size_t records = std::max<std::size_t>(table.size(), 1);
    // The header always comes from the login settings, never from the table's first element.
    struct WipedHeader
    {
        AccountRecord record;
        ~WipedHeader() { WipeRecord(record); }
    } wiped{MakeHeaderRecord(login.LoginUserName, login.LoginPassword1, login.LoginPassword2)};
    const AccountRecord& header = wiped.record;
    std::vector<std::string> numbers(records);
    for (std::size_t i = 0; i < records; ++i)
        numbers[i] = FormatRecordNo(i == 0 ? header.RecordNo : table[i].RecordNo);
    auto fieldsOf = [&](std::size_t i) -> std::array<std::string_view, 6> {
        const AccountRecord& r = i == 0 ? header : table[i];
        return {numbers[i], r.AccountName, r.Website, r.Notes.view(), r.UserId.view(), r.Password.view()};
    };

    std::vector<std::size_t> offsets(records + 1, 0);
    for (std::size_t i = 0; i < records; ++i)
        offsets[i + 1] = offsets[i] + storedLineLength(fieldsOf(i));
    out.resize(offsets[records]);
    char* const base = reinterpret_cast<char*>(out.data());

    Workers workers;
    if (!makeWorkers(WorkersFor(records, kRecordsPerWorker), workers))
        return false;
    std::atomic<bool> failed{false};
    ParallelFor(records, kRecordsPerWorker, [&](std::size_t begin, std::size_t end, std::size_t w) {
        CipherComponent::Worker& worker = *workers[w];
        Bytes sealed;
        for (std::size_t i = begin; i < end && !failed.load(std::memory_order_relaxed); ++i) {
            char* p = base + offsets[i];
            const std::array<std::string_view, 6> fields = fieldsOf(i);
            for (std::size_t f = 0; f < fields.size(); ++f) {
                sealed.resize(fields[f].size() + CipherComponent::kOverhead);
                if (worker.seal(reinterpret_cast<const unsigned char*>(fields[f].data()), fields[f].size(),
                                sealed.data()) != CipherComponent::Ok) {
                    failed = true;
                    return;
                }
                *p++ = '"';
                p = Base64EncodeTo(sealed.data(), sealed.size(), p);
                *p++ = '"';
                *p++ = f + 1 < fields.size() ? ',' : '\r';
            }
            *p++ = '\n';
        }
    });
    return !failed;
}

// The first field: the record number with its sign position, trimmed of blanks, within the 16-bit range.
bool parseRecordNo(const std::string& text, std::int16_t& value)
{
    std::size_t first = 0, last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    if (first < last && text[first] == '+')
        ++first;
    if (first == last)
        return false;
    int n = 0;
    const char* end = text.data() + last;
    const auto [ptr, ec] = std::from_chars(text.data() + first, end, n);
    if (ec != std::errc() || ptr != end || n < INT16_MIN || n > INT16_MAX)
        return false;
    value = static_cast<std::int16_t>(n);
    return true;
}

// Reads records of six quoted fields in one pass, then decrypts every field on its own, on every core. Anything
// out of shape, a field that does not decrypt, no record at all or more than kMaxRecords fails the whole file: a
// table is never half loaded.
bool decodeInner(std::string_view s, AccountTable& result)
{
    struct Span
    {
        std::size_t begin, size;
    };
    std::vector<std::array<Span, 6>> spans;
    spans.reserve(s.size() / 512 + 1);
    const std::size_t n = s.size();
    std::size_t pos = 0;
    for (;;) {
        while (pos < n && (s[pos] == '\r' || s[pos] == '\n' || isBlank(s[pos])))
            ++pos;
        if (pos == n)
            break;
        std::array<Span, 6>& record = spans.emplace_back();
        for (std::size_t f = 0; f < record.size(); ++f) {
            if (f > 0) {
                while (pos < n && isBlank(s[pos]))
                    ++pos;
                if (pos == n || s[pos] != ',')
                    return false;
                ++pos;
                while (pos < n && isBlank(s[pos]))
                    ++pos;
            }
            if (pos == n || s[pos] != '"')
                return false;
            const void* close = std::memchr(s.data() + pos + 1, '"', n - pos - 1);
            if (!close)
                return false;
            const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(close) - s.data());
            record[f] = {pos + 1, end - pos - 1};
            pos = end + 1;
        }
        while (pos < n && isBlank(s[pos]))
            ++pos;
        if (pos < n && s[pos] != '\r' && s[pos] != '\n')
            return false;
    }
    // More records than the table's 16-bit numbering holds: the numbers would wrap at the next change.
    if (spans.empty() || spans.size() > kMaxRecords)
        return false;

    AccountTable table(spans.size());
    Workers workers;
    if (!makeWorkers(WorkersFor(spans.size(), kRecordsPerWorker), workers))
        return false;
    std::atomic<bool> failed{false};
    ParallelFor(spans.size(), kRecordsPerWorker, [&](std::size_t begin, std::size_t end, std::size_t w) {
        CipherComponent::Worker& worker = *workers[w];
        Bytes cipher;
        std::string number;
        for (std::size_t i = begin; i < end && !failed.load(std::memory_order_relaxed); ++i) {
            AccountRecord& r = table[i];
            // Each field is decrypted straight into its place; the last three are secrets.
            std::string* const texts[3] = {&number, &r.AccountName, &r.Website};
            SecretString* const secrets[3] = {&r.Notes, &r.UserId, &r.Password};
            auto open = [&](std::size_t f, auto& out) {
                const Span span = spans[i][f];
                return Base64DecodeInto(s.substr(span.begin, span.size), cipher) &&
                       worker.open(cipher.data(), cipher.size(), out) == CipherComponent::Ok;
            };
            for (std::size_t f = 0; f < 6; ++f) {
                if (!(f < 3 ? open(f, *texts[f]) : open(f, *secrets[f - 3]))) {
                    failed = true;
                    return;
                }
            }
            // A row's place is its number: the rows are authenticated whole with the file, so numbers out of
            // order (a crafted file) are renumbered rather than trusted to point at another row.
            if (!parseRecordNo(number, r.RecordNo)) {
                failed = true;
                return;
            }
            r.RecordNo = static_cast<std::int16_t>(i);
        }
    });
    if (failed) {
        WipeTable(table);
        return false;
    }
    WipeTable(result);
    result = std::move(table);
    return true;
}

} // namespace

Outcome<std::string> EncodeInnerLayer(const Login& login, const AccountTable& table)
{
    Outcome<std::string> out;
    if (!encodeInner(login, table, out.value))
        return {Result::failed("the accounts could not be encrypted")};
    return out;
}

bool DecodeInnerLayer(const std::string& inner, AccountTable& table)
{
    return decodeInner(inner, table);
}

bool EncodeInnerLayerInto(const Login& login, const AccountTable& table, Bytes& out)
{
    return encodeInner(login, table, out);
}

std::uintmax_t AccountFileLength(const Login& login, const AccountTable& table)
{
    const std::string number0 = FormatRecordNo(0);
    std::uintmax_t inner = storedLineLength({number0, kHeaderMarker, "na", login.LoginUserName.view(),
                                             login.LoginPassword1.view(), login.LoginPassword2.view()});
    std::string number;
    for (std::size_t i = 1; i < table.size(); ++i) {
        const AccountRecord& r = table[i];
        number = FormatRecordNo(r.RecordNo);
        inner +=
            storedLineLength({number, r.AccountName, r.Website, r.Notes.view(), r.UserId.view(), r.Password.view()});
    }
    return login.protection ? ProtectedFileLength(inner) : Base64EncodedLength(inner + CipherComponent::kOverhead);
}

std::string AccountFileTooLarge(std::uintmax_t length)
{
    if (length <= FileSizeBound())
        return {};
    return "the account file would be " + GroupedDigits(length) + " bytes, larger than " + FileSizeBoundText() +
           ", the most Coffernote reads";
}

void SayCipherFailure(Platform& platform, const Result& failure)
{
    if (!failure.message().empty())
        platform.message(failure.message(), MsgOk);
}

bool DecodeAccountFileBytes(AppState& state, const Login& login, std::string&& fileBytes, AccountTable& table)
{
#ifdef __GLIBC__
    // The pages an earlier table and its buffers left go back to the system first: the allocator would
    // otherwise keep them beside the multi-megabyte buffers below, and a third load of the largest table
    // would peak some 10 MB higher than the first.
    malloc_trim(0);
#endif
    if (IsProtectedFile(fileBytes)) {
        Bytes inner;
        const std::optional<ProtectedHeader> header = ReadProtectedHeader(fileBytes);
        const bool opened = header && login.protection && login.protection->header == *header &&
                            OpenProtectedFile(*login.protection->key, fileBytes, inner) == ProtectedOpening::Opened;
        std::string().swap(fileBytes);
        const bool ok =
            opened && decodeInner(std::string_view(reinterpret_cast<const char*>(inner.data()), inner.size()), table);
        wipe(inner);
        return ok;
    }
    // The outer layer is decoded in memory; the inner text never reaches the disk.
    std::optional<Bytes> cipher = Base64Decode(fileBytes);
    std::string().swap(fileBytes);
    if (!cipher)
        return false;
    SecretString key1 = kKey1, key2 = kKey2;
    Outcome<Bytes> inner = DecryptBytes(kProgramSuite, *cipher, key1, key2);
    Bytes().swap(*cipher);
    if (!inner.result.isOk()) {
        SayCipherFailure(state.platform, inner.result);
        return false;
    }
    return decodeInner(std::string_view(reinterpret_cast<const char*>(inner.value.data()), inner.value.size()), table);
}

bool AuthenticatesCompletely(AppState& state, const Login& login, std::string&& fileBytes, AccountTable& table)
{
    AccountTable decoded;
    if (!DecodeAccountFileBytes(state, login, std::move(fileBytes), decoded))
        return false;
    if (decoded.front().AccountName != kHeaderMarker) {
        WipeTable(decoded);
        return false;
    }
    WipeTable(table);
    table = std::move(decoded);
    return true;
}
