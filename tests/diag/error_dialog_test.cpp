// The error dialog under a real display: layout, top-most and centred,
// every closing path, the quit message, and a screenshot for people.
//
// Each dialog runs on the main thread inside ShowDialog while a driver thread
// inspects and closes it. The tests run on a desktop of their own, so other
// programs in the same Wine prefix (and their lack of a display) do not matter.

#include "base/win_owners.h"
#include "diag/error_dialog_template.h"
#include "diag/sysex.h"
#include "tests/support/unique_handle_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

namespace pelrin {
namespace {

using test::UniqueHandle;

constexpr char kDesktopName[] = "PelrinErrorDialog";
constexpr char kCaption[] = "DiagErrorDialog_Tests"; // the module name, case kept

HDESK TestDesktop()
{
    using UniqueDesktop = UniqueResource<HDESK, &CloseDesktop>;
    static const UniqueDesktop desktop(
        CreateDesktopA(kDesktopName, nullptr, nullptr, 0, GENERIC_ALL, nullptr));
    return desktop.get();
}

// Waits up to timeoutMs for condition, polling.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > end)
            return false;
        Sleep(10);
    }
    return true;
}

BOOL CALLBACK TakeVisibleDialog(HWND window, LPARAM found)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND FindDialogOf(DWORD threadId)
{
    HWND found = nullptr;
    EnumThreadWindows(threadId, TakeVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct DialogRun {
    int result = -1;
    bool appeared = false;
    bool closed = false;    // the dialog went after the driver's action
    bool loopEnded = false; // and ShowDialog returned without a quit message
};

// Shows e on this thread; `whileOpen` runs on a driver thread once the dialog
// is up and should close it. A watchdog's quit message ends a dialog or a
// loop that stays, so a fault fails the test instead of hanging it.
DialogRun RunDialog(const SysException& e, const std::function<void(HWND)>& whileOpen)
{
    DialogRun run;
    const DWORD mainThread = GetCurrentThreadId();
    std::atomic<bool> returned{false};
    std::thread driver([&] {
        SetThreadDesktop(TestDesktop());
        HWND dialog = nullptr;
        run.appeared =
            WaitFor([&] { return returned || (dialog = FindDialogOf(mainThread)) != nullptr; },
                10000) &&
            dialog;
        if (run.appeared) {
            // Input goes to the foreground window, once the dialog is idle.
            SetForegroundWindow(dialog);
            WaitFor([&] { return GetForegroundWindow() == dialog; }, 2000);
            SendMessageA(dialog, WM_NULL, 0, 0);
            whileOpen(dialog);
            run.closed = WaitFor([&] { return !IsWindow(dialog); }, 5000);
            run.loopEnded = WaitFor([&] { return returned.load(); }, 5000);
        }
        if (!returned)
            PostThreadMessageA(mainThread, WM_QUIT, 0, 0);
    });
    run.result = e.ShowDialog();
    returned = true;
    driver.join();
    return run;
}

// A left click at a screen point, by real input.
void Click(POINT at)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input[3] = {};
    for (INPUT& i : input)
        i.type = INPUT_MOUSE;
    input[0].mi.dx = MulDiv(at.x, 65535, width - 1);
    input[0].mi.dy = MulDiv(at.y, 65535, height - 1);
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    // The display driver follows a move asynchronously and may report the
    // pointer's old place after it; move until it rests, as a user would.
    for (int settle = 0; settle < 2; ++settle) {
        SendInput(1, input, sizeof(INPUT));
        WaitFor(
            [&] {
                POINT cursor{};
                GetCursorPos(&cursor);
                return cursor.x == at.x && cursor.y == at.y;
            },
            2000);
        Sleep(100);
    }
    SendInput(2, input + 1, sizeof(INPUT));
}

void PressKey(WORD key)
{
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

// The caption's close box, found by asking the dialog where it is.
POINT CloseBoxOf(HWND dialog)
{
    RECT r{};
    GetWindowRect(dialog, &r);
    for (int y = r.top; y < r.top + GetSystemMetrics(SM_CYCAPTION) + 8; ++y)
        for (int x = r.right - 1; x > (r.left + r.right) / 2; --x)
            if (SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE)
                return {x - 3, y + 3};
    return {-1, -1};
}

std::string TextOf(HWND window)
{
    char text[600] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Runs import(1) on the X display: Wine starts Unix programs, but gives no
// handle to wait on, so the file is written under a temporary name and the
// rename is awaited.
bool SaveScreenshot(RECT area, const std::string& path)
{
    std::string windowsPath = "Z:" + path;
    for (char& c : windowsPath)
        if (c == '/')
            c = '\\';
    DeleteFileA(windowsPath.c_str());
    char command[1024];
    std::snprintf(command, sizeof command,
        "/bin/sh -c \"import -window root -crop %ldx%ld+%ld+%ld +repage '%s.tmp.png' && "
        "mv '%s.tmp.png' '%s'\"",
        area.right - area.left, area.bottom - area.top, area.left, area.top, path.c_str(),
        path.c_str(), path.c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(
            nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    const UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
    return WaitFor(
        [&] { return GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000);
}

class ErrorDialog : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(TestDesktop()) << GetLastError();
        ASSERT_TRUE(SetThreadDesktop(TestDesktop())) << GetLastError();
    }
};

TEST_F(ErrorDialog, IsTopMostAndCentredWithItsSevenControls)
{
    SysException e(42, "C:\\Src\\Engine\\Table.Dat");
    e.SetCode(ERROR_ACCESS_DENIED);
    e.Format("Cannot open | the caf\xE9 table: %d", 7);
    const std::string systemText = FormatSystemError(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(systemText.empty());

    const DialogRun run = RunDialog(e, [&](HWND dialog) {
        EXPECT_EQ(TextOf(dialog), kCaption);
        EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
        const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)) & frame, frame);

        RECT window{}, work{};
        GetWindowRect(dialog, &window);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_NEAR(window.left + window.right, work.left + work.right, 2);
        EXPECT_NEAR(window.top + window.bottom, work.top + work.bottom, 2);

        LOGFONTA font{};
        GetObjectA(
            reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");

        const char* const classes[] = {
            "Button", "Static", "Static", "Static", "Edit", "Edit", "Edit"};
        // Edit controls trade WS_BORDER for WS_EX_CLIENTEDGE; either is the border.
        const LONG checkedBits = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_MULTILINE |
                                 ES_AUTOVSCROLL | ES_READONLY;
        HWND child = GetWindow(dialog, GW_CHILD);
        for (std::size_t i = 0; i < error_dialog::kItems.size();
             ++i, child = GetWindow(child, GW_HWNDNEXT)) {
            SCOPED_TRACE(i);
            const error_dialog::Item& item = error_dialog::kItems[i];
            ASSERT_TRUE(child);
            EXPECT_EQ(ClassOf(child), classes[i]);
            EXPECT_EQ(GetDlgCtrlID(child) & 0xFFFF, item.id);
            const LONG childStyle = GetWindowLongA(child, GWL_STYLE);
            EXPECT_EQ(childStyle & checkedBits, static_cast<LONG>(item.style) & checkedBits);
            if (i == 0) {
                EXPECT_EQ(TextOf(child), item.label);
                EXPECT_EQ(childStyle & BS_TYPEMASK, BS_PUSHBUTTON);
            } else if (i < 4) {
                EXPECT_EQ(TextOf(child), item.label);
                EXPECT_EQ(childStyle & SS_TYPEMASK, SS_LEFT);
            } else {
                EXPECT_TRUE((childStyle & WS_BORDER) ||
                            (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
            }

            // Position and size convert from dialog units each on its own.
            RECT expected{item.x, item.y, item.cx, item.cy}, actual{};
            MapDialogRect(dialog, &expected);
            GetWindowRect(child, &actual);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(actual.left, expected.left);
            EXPECT_EQ(actual.top, expected.top);
            EXPECT_EQ(actual.right - actual.left, expected.right);
            EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
        }
        EXPECT_FALSE(child) << "more than seven controls";

        // The edit boxes hold the record's texts, read back in the ANSI code page.
        char box[600] = {};
        GetDlgItemTextA(dialog, error_dialog::kDescriptionId, box, sizeof box);
        EXPECT_STREQ(box, e.Message());
        GetDlgItemTextA(dialog, error_dialog::kSystemId, box, sizeof box);
        EXPECT_EQ(box, systemText);
        GetDlgItemTextA(dialog, error_dialog::kSourceId, box, sizeof box);
        EXPECT_STREQ(box, e.Location());

        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        EXPECT_TRUE(SaveScreenshot(window, PELRIN_DIALOG_SCREENSHOT)) << PELRIN_DIALOG_SCREENSHOT;

        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(run.appeared);
    EXPECT_TRUE(run.closed);
    EXPECT_TRUE(run.loopEnded);
    EXPECT_EQ(run.result, 0);
}

TEST_F(ErrorDialog, ClosesOnButtonEnterEscapeAndCloseBox)
{
    SysException e(1, "f.cpp");
    e.Format("no code");
    const std::pair<const char*, std::function<void(HWND)>> paths[] = {
        // Sent from the driver thread: the button clicks itself, with no
        // pointer to race, and the dialog goes while ShowDialog waits.
        {"Close button", [](HWND d) { SendMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }},
        {"Enter", [](HWND) { PressKey(VK_RETURN); }},
        {"Escape", [](HWND) { PressKey(VK_ESCAPE); }},
        {"caption close box",
            [](HWND d) {
                const POINT box = CloseBoxOf(d);
                EXPECT_GE(box.x, 0) << "no close box found";
                Click(box);
            }},
        {"system menu Close", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE | 0x2, 0); }},
    };
    for (const auto& [name, close] : paths) {
        SCOPED_TRACE(name);
        const DialogRun run = RunDialog(e, [&](HWND d) {
            // Without a code the System box is empty.
            char system[16] = "x";
            GetDlgItemTextA(d, error_dialog::kSystemId, system, sizeof system);
            EXPECT_STREQ(system, "");
            close(d);
        });
        ASSERT_TRUE(run.appeared);
        EXPECT_TRUE(run.closed);
        EXPECT_TRUE(run.loopEnded);
        EXPECT_EQ(run.result, 0);
    }
}

// A hidden window of this thread, of a class of its own with the given procedure.
UniqueWindow WindowWithProc(const char* className, WNDPROC procedure)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    return UniqueWindow(CreateWindowA(className, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
        GetModuleHandleA(nullptr), nullptr));
}

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP)
        ++*reinterpret_cast<std::atomic<int>*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(ErrorDialog, QuitMessageEndsTheLoopAndOtherWindowsAreServed)
{
    const UniqueWindow other = WindowWithProc("PelrinCountingWindow", CountingProc);
    ASSERT_TRUE(other);
    std::atomic<int> served{0};
    SetWindowLongPtrA(other.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&served));

    SysException e(1, "f.cpp");
    const DWORD mainThread = GetCurrentThreadId();
    HWND shown = nullptr;
    const DialogRun run = RunDialog(e, [&](HWND d) {
        shown = d;
        PostMessageA(other.get(), WM_APP, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return served == 1; }, 5000));
        PostThreadMessageA(mainThread, WM_QUIT, 0, 0);
    });
    ASSERT_TRUE(run.appeared);
    EXPECT_TRUE(run.closed) << "the dialog went with the loop";
    EXPECT_TRUE(run.loopEnded);
    EXPECT_EQ(run.result, 0);
    EXPECT_FALSE(IsWindow(shown));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "quit was posted again";
}

// On WM_APP, closes the dialog whose handle it holds and asks its thread to quit.
LRESULT CALLBACK CloseAndQuitProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_APP)
        return DefWindowProcA(window, message, wParam, lParam);
    SendMessageA(reinterpret_cast<HWND>(GetWindowLongPtrA(window, GWLP_USERDATA)), WM_COMMAND, IDOK, 0);
    PostQuitMessage(7);
    return 0;
}

TEST_F(ErrorDialog, AQuitPostedAfterAnotherThreadClosesItStaysForTheCaller)
{
    const UniqueWindow closer = WindowWithProc("PelrinCloseAndQuitWindow", CloseAndQuitProc);
    ASSERT_TRUE(closer);

    SysException e(1, "f.cpp");
    const DialogRun run = RunDialog(e, [&](HWND d) {
        SetWindowLongPtrA(closer.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(d));
        SendMessageA(closer.get(), WM_APP, 0, 0);
    });
    ASSERT_TRUE(run.appeared);
    EXPECT_TRUE(run.closed);
    EXPECT_TRUE(run.loopEnded);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "the quit message was taken";
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
}

// Refuses every window of the thread it hooks.
LRESULT CALLBACK RefuseWindows(int code, WPARAM, LPARAM)
{
    return code == HCBT_CREATEWND;
}

TEST_F(ErrorDialog, ReturnsAtOnceWhenTheDialogCannotBeCreated)
{
    const UniqueResource<HHOOK, &UnhookWindowsHookEx> hook(
        SetWindowsHookExA(WH_CBT, RefuseWindows, nullptr, GetCurrentThreadId()));
    ASSERT_TRUE(hook);
    SysException e(1, "f.cpp");
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(e.ShowDialog(), 0);
    // Generous: a first window under emulated 32-bit Wine on a busy machine
    // takes seconds even when refused; a dialog loop would not end at all.
    EXPECT_LT(GetTickCount64() - start, 15000u);
    EXPECT_FALSE(FindDialogOf(GetCurrentThreadId()));
}

} // namespace
} // namespace pelrin
