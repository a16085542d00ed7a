// The registry: values kept across calls in the user's registry file, the
// failure codes callers branch on, and the file surviving odd names and a
// failed write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/registry.h"
#include "tests/temp_folder.h"

namespace {

const char kPreferences[] = "Software\\Orvane Corporation\\Lumenfold\\User";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LUMENFOLD_HOME", home.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("LUMENFOLD_HOME");
  }

  HKEY createKey(const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, 0x2001F,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
  }

  void setText(HKEY key, const char* name, const std::string& text) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
  }

  std::string queryText(HKEY key, const char* name) {
    char buffer[256];
    DWORD size = sizeof buffer, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    return std::string(buffer, size);
  }

  std::string fileText() {
    std::ifstream file(platform::registryFilePath());
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  TempFolder temp{"lf-registry"};
  std::string home = temp.path();
};

TEST_F(RegistryTest, ValuesPersistInTheUsersFileAndNamesIgnoreCase) {
  EXPECT_EQ(platform::registryFilePath(), home + "/registry");
  DWORD disposition = 0;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kPreferences, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  setText(key, "NickName", "ann");
  const DWORD count = 42;
  ASSERT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), 4),
            ERROR_SUCCESS);
  setText(key, "nickname", "bob");  // replaces, keeping the first spelling
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  EXPECT_NE(fileText().find("[HKEY_CURRENT_USER\\Software\\Orvane Corporation\\Lumenfold\\User]\n"
                            "\"NickName\"=sz:\"bob\"\n\"Count\"=dword:42\n"),
            std::string::npos)
      << fileText();

  HKEY again = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\ORVANE Corporation\\lumenfold\\user", 0,
                          KEY_READ, &again),
            ERROR_SUCCESS);
  EXPECT_EQ(queryText(again, "NICKNAME"), std::string("bob\0", 4));
  DWORD number = 0, size = sizeof number, type = 0;
  ASSERT_EQ(RegQueryValueExA(again, "Count", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(number, 42u);
  EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);

  HKEY parent = createKey("Software\\Orvane Corporation");
  EXPECT_NE(parent, nullptr);
  EXPECT_EQ(RegCloseKey(parent), ERROR_SUCCESS);
}

TEST_F(RegistryTest, FailuresGiveTheSystemCodes) {
  HKEY key = createKey(kPreferences);
  setText(key, "Name", "a longer name");
  char small[4];
  DWORD size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 14u);  // the size needed, terminator included
  size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 14u);
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(small), nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "name"), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);

  HKEY opened = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nobody", 0, KEY_READ, &opened),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(opened, nullptr);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "X", 0, nullptr, 0, 0, nullptr, nullptr, nullptr),
            ERROR_INVALID_PARAMETER);

  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  const HKEY stale = key, bogus = reinterpret_cast<HKEY>(uintptr_t{12345});
  for (HKEY bad : {stale, bogus, static_cast<HKEY>(nullptr)}) {
    EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(bad, "Name", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(bad, "Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(bad, "A", 0, KEY_READ, &opened), ERROR_INVALID_HANDLE);
  }
}

// The preference reader's way: ask for the longest name, then enumerate
// until the enumeration fails.
TEST_F(RegistryTest, EnumerationWalksValuesInOrderThenEnds) {
  HKEY key = createKey(kPreferences);
  setText(key, "Name", "ann");
  setText(key, "NickName", "a");
  HKEY child = createKey("Software\\Orvane Corporation\\Lumenfold\\User\\Sub");
  RegCloseKey(child);

  DWORD values = 0, longestName = 0, largestData = 0, subKeys = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                             &longestName, &largestData, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(longestName, 8u);
  EXPECT_EQ(largestData, 4u);
  EXPECT_EQ(subKeys, 1u);

  std::string seen;
  DWORD index = 0;
  for (;; ++index) {
    char name[16], data[16];
    DWORD nameSize = longestName + 1, dataSize = sizeof data, type = 0;
    if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data),
                      &dataSize) != ERROR_SUCCESS)
      break;
    EXPECT_EQ(nameSize, strlen(name));
    seen += std::string(name) + "=" + data + ";";
  }
  EXPECT_EQ(seen, "Name=ann;NickName=a;");
  EXPECT_EQ(index, 2u);

  char shortName[4];
  DWORD shortSize = sizeof shortName;
  EXPECT_EQ(RegEnumValueA(key, 1, shortName, &shortSize, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  RegCloseKey(key);
}

TEST_F(RegistryTest, OddNamesAndBinaryDataSurviveTheFile) {
  const std::string keyName = "Software\\100% [odd]\nkey";
  HKEY key = createKey(keyName.c_str());
  const std::string text = "quote \" back \\ tab \t line \n end";
  setText(key, "a \"name\"=x", text);
  const BYTE binary[] = {0, 1, 0xff, '"', '\n'};
  ASSERT_EQ(RegSetValueExA(key, "bytes", 0, REG_BINARY, binary, sizeof binary), ERROR_SUCCESS);
  const char unterminated[] = {'a', 'b'};
  ASSERT_EQ(RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), 2),
            ERROR_SUCCESS);
  RegCloseKey(key);

  // Every line of the file stays one line: no raw newline leaks from a name.
  EXPECT_NE(fileText().find("[HKEY_CURRENT_USER\\Software\\100%25 [odd]%0akey]"), std::string::npos)
      << fileText();

  HKEY again = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_READ, &again), ERROR_SUCCESS);
  EXPECT_EQ(queryText(again, "a \"name\"=x"), text + '\0');
  BYTE back[8];
  DWORD size = sizeof back, type = 0;
  ASSERT_EQ(RegQueryValueExA(again, "bytes", nullptr, &type, back, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back), size),
            std::string(reinterpret_cast<const char*>(binary), sizeof binary));
  size = sizeof back;
  ASSERT_EQ(RegQueryValueExA(again, nullptr, nullptr, &type, back, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back), size), "ab");
  RegCloseKey(again);
}

TEST_F(RegistryTest, ADamagedLineLosesOnlyItsValue) {
  std::ofstream(home + "/registry") << "[HKEY_CURRENT_USER\\K]\n"
                                       "\"good\"=sz:\"yes\"\n"
                                       "\"bad\"=sz:\"never closed\n"
                                       "\"worse\"=dword:12x\n"
                                       "garbage\n"
                                       "\"nul\\x00inside\"=dword:1\n"
                                       "\"after\"=hex(3):0a 0b\n";
  HKEY key = createKey("K");
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(queryText(key, "good"), std::string("yes\0", 4));
  RegCloseKey(key);
}

// A hand-edited file may name a key or a value twice: the first of a name
// wins everywhere, and a rewrite keeps just that one.
TEST_F(RegistryTest, TheFirstOfTwoValuesOrKeysOfOneNameWins) {
  std::ofstream(home + "/registry") << "[HKEY_CURRENT_USER\\K]\n"
                                       "\"v\"=sz:\"first\"\n"
                                       "\"V\"=sz:\"second\"\n"
                                       "[HKEY_CURRENT_USER\\k]\n"
                                       "\"v\"=sz:\"third\"\n"
                                       "\"w\"=dword:7\n";
  HKEY key = createKey("K");
  for (bool rewritten : {false, true}) {
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 2u) << "rewritten " << rewritten;
    char name[16];
    BYTE data[16];
    DWORD nameSize = sizeof name, dataSize = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, data, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), dataSize), std::string("first\0", 6));
    EXPECT_EQ(queryText(key, "V"), std::string("first\0", 6));
    nameSize = sizeof name;
    dataSize = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 1, name, &nameSize, nullptr, nullptr, data, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name), "w");
    const BYTE other[] = "x";
    ASSERT_EQ(RegSetValueExA(key, "other", 0, REG_SZ, other, sizeof other), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueA(key, "other"), ERROR_SUCCESS);
  }
  RegCloseKey(key);
}

TEST_F(RegistryTest, AFailedWriteKeepsTheOldFile) {
  HKEY key = createKey(kPreferences);
  setText(key, "Name", "old");
  // A directory where the temporary file would go makes the write fail
  // before the rename, as a full disk would.
  const std::string temporary = platform::registryFilePath() + ".tmp." + std::to_string(getpid());
  ASSERT_EQ(mkdir(temporary.c_str(), 0700), 0);
  const std::string value = "new";
  EXPECT_EQ(RegSetValueExA(key, "Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), 4),
            ERROR_CANTWRITE);
  EXPECT_EQ(queryText(key, "Name"), std::string("old\0", 4));
  RegCloseKey(key);

  setenv("LUMENFOLD_HOME", (platform::registryFilePath() + "/not-a-folder").c_str(), 1);
  HKEY none = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "K", 0, nullptr, 0, 0, nullptr, &none, nullptr),
            ERROR_CANTWRITE);
}

}  // namespace
