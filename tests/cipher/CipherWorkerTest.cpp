#include "cipher/Base64.h"
#include "cipher/CipherComponent.h"
#include "cipher/CipherService.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

namespace {

// Workers must give exactly the bytes of the one-call operations, or files would change with the core count.
TEST(CipherWorker, SealsAndOpensExactlyAsTheComponentDoes)
{
    const std::string key1 = kKey1, key2 = kKey2;
    CipherComponent::Worker shared(3, key1, key2);
    CipherComponent::Worker independent(3, key1, key2, true);
    ASSERT_EQ(shared.status(), CipherComponent::Ok);
    ASSERT_EQ(independent.status(), CipherComponent::Ok);
    std::mt19937 gen(7);
    for (std::size_t size : {0u, 1u, 15u, 16u, 40u, 57u, 100u, 1000u}) {
        std::string text(size, '\0');
        for (char& c : text)
            c = static_cast<char>(gen());
        Bytes expected;
        ASSERT_EQ(CipherComponent().EncryptStr(3, key1, key2, text, expected), CipherComponent::Ok);
        Bytes a(size + CipherComponent::kOverhead), b(size + CipherComponent::kOverhead);
        ASSERT_EQ(shared.seal(reinterpret_cast<const unsigned char*>(text.data()), size, a.data()),
                  CipherComponent::Ok);
        ASSERT_EQ(independent.seal(reinterpret_cast<const unsigned char*>(text.data()), size, b.data()),
                  CipherComponent::Ok);
        EXPECT_EQ(a, expected) << size;
        EXPECT_EQ(b, expected) << size;
        EXPECT_EQ(Base64Encode(a), EncryptField(text).value) << size;

        std::string back;
        ASSERT_EQ(independent.open(a.data(), a.size(), back), CipherComponent::Ok);
        EXPECT_EQ(back, text);
        a[a.size() / 2] ^= 1;
        EXPECT_EQ(shared.open(a.data(), a.size(), back), CipherComponent::AuthenticationFailed);
        EXPECT_EQ(back, text) << "a failed open leaves the target as it was";
    }
}

TEST(CipherWorker, RefusesWhatTheComponentRefuses)
{
    const std::string key1 = kKey1;
    EXPECT_EQ(CipherComponent::Worker(18, key1, kKey2).status(), CipherComponent::UnsupportedAlgorithm);
    EXPECT_EQ(CipherComponent::Worker(3, key1, "short").status(), CipherComponent::BadKey);
    CipherComponent::Worker worker(3, key1, kKey2);
    std::string plain;
    const unsigned char tooShort[16] = {};
    EXPECT_EQ(worker.open(tooShort, sizeof tooShort, plain), CipherComponent::AuthenticationFailed);
}

TEST(CipherWorker, WorkersOnSeveralThreadsAgree)
{
    const std::string key1 = kKey1, key2 = kKey2;
    std::vector<std::unique_ptr<CipherComponent::Worker>> workers;
    for (int w = 0; w < 3; ++w)
        workers.push_back(std::make_unique<CipherComponent::Worker>(3, key1, key2, w > 0));
    std::vector<Bytes> results(3);
    std::vector<std::thread> threads;
    const std::string text = "the same text on every thread";
    for (int w = 0; w < 3; ++w)
        threads.emplace_back([&, w] {
            Bytes out(text.size() + CipherComponent::kOverhead);
            for (int i = 0; i < 2000; ++i)
                if (workers[w]->seal(reinterpret_cast<const unsigned char*>(text.data()), text.size(), out.data()) !=
                    CipherComponent::Ok)
                    return;
            results[w] = out;
        });
    for (std::thread& t : threads)
        t.join();
    ASSERT_FALSE(results[0].empty());
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(results[0], results[2]);
}

} // namespace
