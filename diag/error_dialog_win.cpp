#include "base/code_page_text_win.h"
#include "diag/error_dialog_template.h"
#include "diag/sysex.h"

namespace pelrin {

namespace {

static_assert(error_dialog::kDialogStyle == (WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU |
                                                DS_MODALFRAME | DS_CENTER | DS_SETFONT));
static_assert(error_dialog::kChildStyle == (WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | SS_LEFT));
static_assert(error_dialog::kEditStyle ==
              (WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY));
static_assert(error_dialog::kCloseId == IDOK);

// The wake-up below: a message of the library's own, so that taking it off the
// queue never takes one of the caller's. 0 when the system cannot register it.
UINT WakeUpMessage() noexcept
{
    return RegisterWindowMessageA("Pelrin error dialog wake-up");
}

INT_PTR CALLBACK ErrorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return TRUE; // the system sets the default focus
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            DestroyWindow(dialog);
            return TRUE;
        }
        break;
    case WM_SYSCOMMAND:
        // The low four bits are the system's own.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            DestroyWindow(dialog);
            return TRUE;
        }
        break;
    case WM_NCDESTROY:
        // Closed by a message sent from another thread, the dialog goes while
        // ShowDialog waits in GetMessage, which only a posted message ends.
        if (const UINT wakeUp = WakeUpMessage(); wakeUp != 0)
            PostMessageA(nullptr, wakeUp, 0, 0);
        else
            PostMessageA(nullptr, WM_NULL, 0, 0); // stays, harmless, for the caller
        break;
    default:
        break;
    }
    return FALSE;
}

DialogText View(const UniqueBstr& text) noexcept
{
    return DialogText(text.get(), SysStringLen(text.get()));
}

} // namespace

int SysException::ShowDialog() const noexcept
{
    char moduleFileName[kLocationSize];
    const std::string_view caption = PathStem(OwnModuleFileName(moduleFileName));
    char captionText[kLocationSize];
    CopyCut(captionText, caption);

    const UniqueBstr captionWide = AnsiToBstr(captionText);
    const UniqueBstr description = AnsiToBstr(m_message);
    const UniqueBstr system = AnsiToBstr(m_code != 0 ? SystemText() : "");
    const UniqueBstr source = AnsiToBstr(m_location);
    if (!captionWide || !description || !system || !source)
        return 0;
    const ErrorDialogTexts texts{View(captionWide), View(description), View(system), View(source)};

    UniqueWindow dialog;
    {
        // The template is needed only until the dialog exists.
        const std::size_t size = ErrorDialogTemplateSize(texts);
        const UniqueProcessHeapBlock block(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
        if (!block)
            return 0;
        if (!WriteErrorDialogTemplate(texts, std::span(static_cast<std::byte*>(block.get()), size)))
            return 0;
        dialog.reset(CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
            static_cast<LPCDLGTEMPLATEA>(block.get()), nullptr, ErrorDialogProc, 0));
    }
    if (!dialog)
        return 0;

    MSG msg;
    while (IsWindow(dialog.get())) {
        // 0 is the quit message, which ends the loop and is not posted again;
        // -1 would repeat for ever.
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0)
            break;
        if (!IsDialogMessageA(dialog.get(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // Closed by the user: the handle is gone already. Left by a quit message:
    // the dialog goes with the loop rather than stay on screen unserved.
    if (!IsWindow(dialog.get()))
        (void)dialog.release();
    else
        dialog.reset(); // its wake-up message is consumed below
    // The wake-up from WM_NCDESTROY is not the caller's: a thread message, not
    // taken from the queue when the loop saw the dialog gone without it. It is
    // removed only when it is there, because a removing peek takes a pending
    // quit message whatever its filter (and WM_NULL to WM_NULL filters nothing).
    const HWND threadMessages = reinterpret_cast<HWND>(-1);
    if (const UINT wakeUp = WakeUpMessage(); wakeUp != 0 &&
        PeekMessageA(&msg, threadMessages, wakeUp, wakeUp, PM_NOREMOVE) && msg.message == wakeUp)
        PeekMessageA(&msg, threadMessages, wakeUp, wakeUp, PM_REMOVE);
    return 0;
}

} // namespace pelrin
