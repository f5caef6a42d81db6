// The stored-key step's lasting effects on the user's registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <cstring>
#include <memory>

#include "qz/cipher.h"
#include "qz/file_cipher.h"
#include "qz/stored_key.h"
#include "support/files.h"
#include "test_password.h"

namespace qz {
namespace {

struct RegistryValue {
  bool keyExists = false;
  bool valueExists = false;
  DWORD type = 0;
  wintest::Bytes bytes;
  FILETIME lastWrite{};
};

RegistryValue ReadStoredValue() {
  RegistryValue result;
  HKEY key;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kStoredKeyRegistryPath, 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return result;
  }
  result.keyExists = true;
  ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, &result.lastWrite);
  BYTE buffer[4096];
  DWORD size = sizeof(buffer);
  if (::RegQueryValueExA(key, kStoredKeyValueName, nullptr, &result.type, buffer, &size) ==
      ERROR_SUCCESS) {
    result.valueExists = true;
    result.bytes.assign(buffer, buffer + size);
  }
  ::RegCloseKey(key);
  return result;
}

void DeleteStoredKey() {
  const LONG rc = ::RegDeleteKeyA(HKEY_CURRENT_USER, kStoredKeyRegistryPath);
  ASSERT_TRUE(rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) << rc;
  ASSERT_FALSE(ReadStoredValue().keyExists);
}

class StoredKey : public ::testing::Test {
 protected:
  void SetUp() override {
    source_ = dir_.File("a.txt");
    encrypted_ = dir_.File("a.txt.qz");
    ASSERT_TRUE(wintest::WriteBytes(source_, wintest::PatternBytes(1500, 3)));
    options_.backend = &CryptoApiBackend();
  }

  wintest::TempDir dir_;
  std::string source_, encrypted_;
  CipherOptions options_;
};

TEST_F(StoredKey, FirstOperationWritesTheValueAndLaterOnesWriteNothing) {
  DeleteStoredKey();
  ASSERT_EQ(EncryptStep::kOk, EncryptFileData(source_, encrypted_, Pw("pw"), options_));

  const RegistryValue first = ReadStoredValue();
  ASSERT_TRUE(first.keyExists);
  ASSERT_TRUE(first.valueExists);
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), first.type);
  ASSERT_GT(first.bytes.size(), sizeof(BLOBHEADER));
  EXPECT_LE(first.bytes.size(), kStoredKeyBufferBytes);
  // An RC4 key wrapped for the user's key-exchange key.
  BLOBHEADER header;
  memcpy(&header, first.bytes.data(), sizeof(header));
  EXPECT_EQ(SIMPLEBLOB, header.bType);
  EXPECT_EQ(static_cast<ALG_ID>(CALG_RC4), header.aiKeyAlg);

  ::Sleep(20);  // a rewrite would move the key's write time
  ASSERT_EQ(DecryptStep::kOk, DecryptFileData(encrypted_, dir_.File("b.txt"), Pw("pw"), options_));
  const RegistryValue second = ReadStoredValue();
  EXPECT_TRUE(first.bytes == second.bytes);
  EXPECT_EQ(0, ::CompareFileTime(&first.lastWrite, &second.lastWrite));

  // Whether the import succeeds depends on the provider (Wine's wants the exchange
  // key named); it must not write either way.
  HCRYPTPROV prov = 0;
  ASSERT_TRUE(::CryptAcquireContextA(&prov, "", MS_DEF_PROV_A, PROV_RSA_FULL, 0));
  EXPECT_NE(StoredKeyResult::kWritten, LoadStoredKey(prov));
  ::CryptReleaseContext(prov, 0);
  EXPECT_TRUE(first.bytes == ReadStoredValue().bytes);
}

TEST_F(StoredKey, KeyWithoutValueIsLeftAlone) {
  DeleteStoredKey();
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS,
            ::RegCreateKeyExA(HKEY_CURRENT_USER, kStoredKeyRegistryPath, 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  ::RegCloseKey(key);

  ASSERT_EQ(EncryptStep::kOk, EncryptFileData(source_, encrypted_, Pw("pw"), options_));
  const RegistryValue after = ReadStoredValue();
  EXPECT_TRUE(after.keyExists);
  EXPECT_FALSE(after.valueExists);

  // Leave a complete entry for whatever runs next in this prefix.
  DeleteStoredKey();
  HCRYPTPROV prov = 0;
  ASSERT_TRUE(::CryptAcquireContextA(&prov, "", MS_DEF_PROV_A, PROV_RSA_FULL, 0));
  EXPECT_EQ(StoredKeyResult::kWritten, LoadStoredKey(prov));
  ::CryptReleaseContext(prov, 0);
}

TEST(KeyContainer, AMissingContainerIsCreatedWithItsExchangeKey) {
  HCRYPTPROV prov = 0;
  // With CRYPT_DELETEKEYSET the handle is not valid afterwards.
  ASSERT_TRUE(::CryptAcquireContextA(&prov, "", MS_DEF_PROV_A, PROV_RSA_FULL, CRYPT_DELETEKEYSET));
  ASSERT_FALSE(::CryptAcquireContextA(&prov, "", MS_DEF_PROV_A, PROV_RSA_FULL, 0));

  std::unique_ptr<CipherKey> key;
  ASSERT_EQ(KeyStep::kOk, CryptoApiBackend().DeriveKey(Pw("pw"), &key));
  key.reset();  // the provider keeps a new pair when the context is released
  ASSERT_TRUE(::CryptAcquireContextA(&prov, "", MS_DEF_PROV_A, PROV_RSA_FULL, 0));
  HCRYPTKEY exchange = 0;
  EXPECT_TRUE(::CryptGetUserKey(prov, AT_KEYEXCHANGE, &exchange));
  if (exchange) ::CryptDestroyKey(exchange);
  ::CryptReleaseContext(prov, 0);
}

}  // namespace
}  // namespace qz
