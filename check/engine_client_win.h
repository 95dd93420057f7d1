#pragma once
// The engine as pelrin-check reaches it: through its public COM interface
// only, as any client would. Windows only.

#include "base/com_ptr.h"
#include "check/phrase_checker.h"
#include "server/pelrin.h"

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace pelrin::check {

// An activation context made from a manifest resource of this program and
// active on this thread while it lives.
class ActivationContext {
public:
    ActivationContext() noexcept = default;
    ActivationContext(const ActivationContext&) = delete;
    ActivationContext& operator=(const ActivationContext&) = delete;
    ~ActivationContext();

    // Dependencies of the manifest are looked for in the program's folder.
    HRESULT Activate(WORD manifestResource) noexcept;

private:
    HANDLE m_context = INVALID_HANDLE_VALUE;
    ULONG_PTR m_cookie = 0;
};

// Creates Pelrin.PelrinEngine.1 as registered; when that fails (not
// registered), registration-free, through the program's embedded manifest,
// whose dependency finds PELRIN.DLL and its assembly manifest beside the
// program.
class EngineConnection {
public:
    // S_OK, or the failure of creation as registered. `fallback` tells what
    // the registration-free attempt gave (S_FALSE when none was made).
    HRESULT Open(WORD manifestResource, HRESULT& fallback);
    IPelrinEngine* Engine() const noexcept { return m_engine.get(); }

private:
    ActivationContext m_context; // outlives the engine
    ComPtr<IPelrinEngine> m_engine;
};

// The strings of a list the engine answers: an array of VARIANTs holding
// BSTRs, or Null; in UTF-8.
HRESULT ReadStringList(const VARIANT& list, std::vector<std::string>& strings);

// The user's ignore list: LoadIgnoredPhrases, where the engine has it, then
// GetIgnoredPhrases. `loadResult` is what loading returned (S_OK for an
// engine without a settings file); the result is that of reading the list.
HRESULT ReadIgnoredPhrases(IPelrinEngine* engine, std::vector<std::string>& phrases, HRESULT& loadResult);

// MatchWord and LookupAlternatePhrases, one call per question.
class EnginePhraseSource final : public PhraseSource {
public:
    explicit EnginePhraseSource(IPelrinEngine* engine) noexcept : m_engine(engine) {}
    std::vector<std::string> PhrasesStartingWith(const std::string& word) override;
    std::vector<std::string> AlternatesOf(const std::string& phrase) override;

private:
    IPelrinEngine* m_engine;
};

} // namespace pelrin::check
