// The platform side of error records: system texts, publishing as the
// thread's COM error and rebuilding from what a caller receives.

#include "base/code_page_text_win.h"
#include "base/com_ptr.h"
#include "diag/sysex.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <string>
#include <thread>

namespace pelrin {
namespace {

std::wstring Wide(const char* text)
{
    const UniqueBstr converted = AnsiToBstr(text);
    return converted ? std::wstring(converted.get(), SysStringLen(converted.get())) : L"<failed>";
}

TEST(FormatSystemError, GivesTheSystemTextWithoutItsLineEnd)
{
    char expected[512] = {};
    ASSERT_NE(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                  ERROR_ACCESS_DENIED, 0, expected, sizeof expected, nullptr),
        0u);
    std::string text = FormatSystemError(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    // The same text less the line end that the system puts after it.
    EXPECT_EQ(std::string(expected), text + "\r\n");

    SysException e(1, "f.cpp");
    e.SetCode(ERROR_ACCESS_DENIED);
    EXPECT_EQ(e.SystemText(), text);

    EXPECT_STREQ(FormatSystemError(0x2000FFFF), "");
    e.SetCode(static_cast<std::int32_t>(0xE0FFFFFFu));
    EXPECT_STREQ(e.SystemText(), "");
}

TEST(FormatSystemError, EachThreadKeepsItsOwnText)
{
    const char* mine = FormatSystemError(ERROR_ACCESS_DENIED);
    const std::string before = mine;
    std::string theirs;
    std::thread other([&theirs] { theirs = FormatSystemError(ERROR_FILE_NOT_FOUND); });
    other.join();
    EXPECT_NE(theirs, before);
    EXPECT_FALSE(theirs.empty());
    EXPECT_EQ(mine, before);
}

class ComThread : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    void TearDown() override { CoUninitialize(); }

    static ComPtr<IErrorInfo> TakeErrorInfo()
    {
        ComPtr<IErrorInfo> info;
        EXPECT_EQ(GetErrorInfo(0, info.addressof()), S_OK);
        return info;
    }
};

// {5C6D0E2A-44B1-4E07-9A35-1F0D2B7C8E91}
constexpr GUID kFailingInterface = {
    0x5c6d0e2a, 0x44b1, 0x4e07, {0x9a, 0x35, 0x1f, 0x0d, 0x2b, 0x7c, 0x8e, 0x91}};

TEST_F(ComThread, PublishedErrorReachesTheCallerAndRebuildsTheRecord)
{
    const struct {
        std::int32_t code;
        const char* message;
        const char* description;
    } cases[] = {
        {5, "access | denied", "00000005|access | denied"},
        {static_cast<std::int32_t>(0x80070005u), "|lead|and trail|", "80070005||lead|and trail|"},
        {0, "caf\xE9", "00000000|caf\xE9"},
    };
    for (const auto& c : cases) {
        SysException e(314, "C:\\Src\\Diag\\Raise.Cpp");
        e.SetCode(c.code);
        e.Format("%s", c.message);
        EXPECT_EQ(e.Publish(kFailingInterface), static_cast<HRESULT>(0x8004FFFEu));

        const ComPtr<IErrorInfo> info = TakeErrorInfo();
        ASSERT_TRUE(info);
        UniqueBstr source, description, helpFile;
        GUID guid{};
        DWORD helpContext = 1;
        ASSERT_HRESULT_SUCCEEDED(info->GetSource(source.addressof()));
        ASSERT_HRESULT_SUCCEEDED(info->GetDescription(description.addressof()));
        ASSERT_HRESULT_SUCCEEDED(info->GetGUID(&guid));
        info->GetHelpFile(helpFile.addressof());
        info->GetHelpContext(&helpContext);
        EXPECT_EQ(std::wstring(source.get()), Wide(e.Location()));
        EXPECT_EQ(std::wstring(description.get()), Wide(c.description));
        EXPECT_TRUE(IsEqualGUID(guid, kFailingInterface));
        EXPECT_EQ(SysStringLen(helpFile.get()), 0u);
        EXPECT_EQ(helpContext, 0u);

        SysException received(1, "elsewhere.cpp");
        received.FromComError(SYSEX_E_ERROR, info.get());
        EXPECT_EQ(received.Code(), c.code);
        EXPECT_STREQ(received.Location(), e.Location());
        EXPECT_STREQ(received.Message(), c.message);
    }
}

TEST_F(ComThread, FromComErrorWithoutPublishedForm)
{
    SysException e(1, "f.cpp");
    const std::string location = e.Location();
    e.Format("old");
    e.FromComError(E_ACCESSDENIED, nullptr);
    EXPECT_EQ(e.Code(), E_ACCESSDENIED);
    EXPECT_EQ(e.Location(), location);
    EXPECT_STREQ(e.Message(), "");

    // An error object of someone else's: no source, no bar.
    ComPtr<ICreateErrorInfo> creator;
    ASSERT_HRESULT_SUCCEEDED(CreateErrorInfo(creator.addressof()));
    ASSERT_HRESULT_SUCCEEDED(creator->SetDescription(const_cast<LPOLESTR>(L"plain words")));
    ComPtr<IErrorInfo> info;
    ASSERT_HRESULT_SUCCEEDED(creator->QueryInterface(IID_IErrorInfo, info.addressofVoid()));
    e.FromComError(SYSEX_E_ERROR, info.get());
    EXPECT_EQ(e.Code(), SYSEX_E_ERROR);
    EXPECT_EQ(e.Location(), location);
    EXPECT_STREQ(e.Message(), "plain words");
}

} // namespace
} // namespace pelrin
