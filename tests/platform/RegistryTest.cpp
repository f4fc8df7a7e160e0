// The registry calls over the per-user INI file under $XDG_CONFIG_HOME.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/WinApi.h"
#include "tests/support/TempDir.h"

namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", (dir.Path() / "config").c_str(), 1);
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillfin", 0, nullptr, 0,
                                  KEY_READ | KEY_WRITE, nullptr, &key, &disposition),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        if (key != nullptr) RegCloseKey(key);
    }

    LSTATUS Set(const char* name, DWORD value) {
        return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof(value));
    }

    TempDir dir;
    HKEY key = nullptr;
    DWORD disposition = 0;
};

TEST_F(Registry, DwordsComeBackAcrossKeysAndLandInTheUsersSettingsFile) {
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    const DWORD values[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    for (DWORD value : values) {
        SCOPED_TRACE(value);
        ASSERT_EQ(Set("Value", value), ERROR_SUCCESS);
        HKEY other = nullptr;
        DWORD how = 0;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillfin", 0, nullptr, 0, KEY_READ,
                                  nullptr, &other, &how),
                  ERROR_SUCCESS);
        EXPECT_EQ(how, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
        DWORD type = 0;
        DWORD read = 12345;
        DWORD size = sizeof(read);
        EXPECT_EQ(
            RegQueryValueExA(other, "Value", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size),
            ERROR_SUCCESS);
        EXPECT_EQ(read, value);
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(size, sizeof(DWORD));
        EXPECT_EQ(RegCloseKey(other), ERROR_SUCCESS);
    }
    const std::string file = ReadWholeFile((dir.Path() / "config/quillfin/quillfin.ini").string());
    EXPECT_NE(file.find("Value=dword:ffffffff"), std::string::npos) << file;
}

TEST_F(Registry, SizesMissingValuesAndClosedKeysAnswerAsWindowsDoes) {
    ASSERT_EQ(Set("Value", 42), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    BYTE small[3] = {};
    size = sizeof(small);
    EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    DWORD value = 0;
    size = sizeof(value);
    EXPECT_EQ(
        RegQueryValueExA(key, "Missing", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_FILE_NOT_FOUND);
    const char text[] = "text";
    EXPECT_EQ(RegSetValueExA(key, "Text", 0, 1, reinterpret_cast<const BYTE*>(text), sizeof(text)),
              ERROR_INVALID_PARAMETER);

    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Set("Value", 1), ERROR_INVALID_HANDLE);
    key = nullptr;
}

TEST_F(Registry, ALineEditedIntoSomethingElseIsNoValue) {
    ASSERT_EQ(Set("Value", 7), ERROR_SUCCESS);
    const std::string ini = (dir.Path() / "config/quillfin/quillfin.ini").string();
    const std::string edited = ReadWholeFile(ini);
    const std::size_t at = edited.find("dword:00000007");
    ASSERT_NE(at, std::string::npos) << edited;
    dir.Write("config/quillfin/quillfin.ini",
              edited.substr(0, at) + "seven" + edited.substr(at + 14));
    DWORD value = 0;
    DWORD size = sizeof(value);
    EXPECT_EQ(
        RegQueryValueExA(key, "Value", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_FILE_NOT_FOUND);
}

}  // namespace
