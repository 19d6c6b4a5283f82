// The page cipher against the platform's CryptoAPI, with which enciphered
// libraries were first written, and the re-key's replacement of the library
// on Windows.
#include <windows.h>

#include <wincrypt.h>  // after windows.h, which it needs

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <vector>

#include "store/cipher_key.h"
#include "store/cipher_test_library.h"
#include "store/rekey.h"
#include "store/rekey_win.h"
#include "tools/testing/error_log.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

// Enciphers `page` twice, each time on its own as the old page codec did,
// with CryptoAPI's key for `password`: the Enhanced provider, a SHA-1 hash
// of the key material, CryptDeriveKey for RC4 with flags 0, CryptEncrypt
// with the final flag (which returns the key to the start of its stream).
std::vector<std::vector<uint8_t>> CryptoApiPages(const std::u16string& password,
                                                 const std::vector<uint8_t>& page) {
  std::vector<std::vector<uint8_t>> pages;
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  HCRYPTKEY key = 0;
  const std::string material = KeyMaterial(password);
  EXPECT_TRUE(CryptAcquireContextW(&provider, nullptr, MS_ENHANCED_PROV_W, PROV_RSA_FULL,
                                   CRYPT_VERIFYCONTEXT));
  EXPECT_TRUE(CryptCreateHash(provider, CALG_SHA1, 0, 0, &hash));
  EXPECT_TRUE(CryptHashData(hash, reinterpret_cast<const BYTE*>(material.data()),
                            static_cast<DWORD>(material.size()), 0));
  EXPECT_TRUE(CryptDeriveKey(provider, CALG_RC4, hash, 0, &key));
  for (int n = 0; n < 2; ++n) {
    std::vector<uint8_t> data = page;
    DWORD size = static_cast<DWORD>(data.size());
    EXPECT_TRUE(CryptEncrypt(key, 0, TRUE, 0, data.data(), &size, size));
    pages.push_back(data);
  }
  CryptDestroyKey(key);
  CryptDestroyHash(hash);
  CryptReleaseContext(provider, 0);
  return pages;
}

TEST(CipherCryptoApi, PagesEncipheredByCryptoApiEqualThePortableCipher) {
  std::vector<uint8_t> page(4096);
  for (size_t n = 0; n < page.size(); ++n) page[n] = static_cast<uint8_t>(n * 31 + 7);
  for (const std::u16string& password :
       {std::u16string(u"abcd"), std::u16string(u"Țară"), std::u16string(u"știință și artă"),
        std::u16string(u"correct-horse-batte"), std::u16string(u"înțelepciune-și-har")}) {
    std::vector<uint8_t> ours(page.size());
    PageKeystream(*DeriveCipherKey(password)).Apply(ours.data(), page.data(), page.size(), 0);
    for (const std::vector<uint8_t>& theirs : CryptoApiPages(password, page)) {
      EXPECT_EQ(theirs, ours) << Utf16ToUtf8(password);
    }
  }
}

TEST(CipherWinRekey, MoveFileReplacesTheLibraryUnlessAnotherProgramHoldsIt) {
  testing::TempDir dir;
  testing::ErrorLog log;
  InstallWindowsFileReplacer();
  const std::u16string path = dir.File16("bibliotecă.db");
  testing::MakeLibrary(path, u"", 6);
  const std::string rows = testing::DumpWith(path, u"");
  ASSERT_TRUE(RekeyLibraryFile(path, u"", u"parolă-nouă", log.sink())) << log.text();
  EXPECT_EQ(testing::DumpWith(path, u"parolă-nouă"), rows);

  // Held open without delete sharing: the rename is refused, nothing changes.
  const std::string before = testing::ReadBytes(dir.File("bibliotecă.db"));
  HANDLE other =
      CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(RekeyLibraryFile(path, u"parolă-nouă", u"", log.sink()));
  CloseHandle(other);
  EXPECT_FALSE(log.empty());
  EXPECT_EQ(testing::ReadBytes(dir.File("bibliotecă.db")), before);
  // Nothing but the library is left in the folder: no copy of it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace lw
