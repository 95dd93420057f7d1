// The engine through late binding, as a JScript client sees it.
//   cscript //nologo engine_suite.js [1.0.0.1]
// With 1.0.0.1 it checks that version of the DLL: six methods, and a first
// byte above 0x7F has nothing to ignore rather than being refused.
// Ends with "SUITE PASSED" and exit code 0, or lists failures and exits 1.
// (cscript exits 0 on a runtime error too; the runner checks the last line.)

var E_UNEXPECTED = 0x8000FFFF;
var NOT_SUPPORTED = 0x800A01B6; // "Object doesn't support this property or method"
var failures = 0;
var firstRelease = WScript.Arguments.length > 0 && WScript.Arguments(0) === "1.0.0.1";

function check(condition, description) {
    if (!condition) {
        failures++;
        WScript.Echo("FAIL: " + description);
    }
}

// A result's strings as a JScript array, or null.
function list(result) {
    return result === null ? null : new VBArray(result).toArray();
}

function joined(result) {
    var items = list(result);
    return items === null ? "(null)" : items.join("|");
}

// The HRESULT a failed call raised, as an unsigned number; 0 when none.
function errorOf(call) {
    try {
        call();
    } catch (e) {
        return e.number >>> 0;
    }
    return 0;
}

var engine = new ActiveXObject("Pelrin.PelrinEngine.1");
var other = new ActiveXObject("Pelrin.PelrinEngine.1");

var phrases = engine.MatchWord("at");
var items = list(phrases);
check(items !== null && items.length === 3, "three phrases begin with 'at'");
check(new VBArray(phrases).lbound(1) === 0 && new VBArray(phrases).ubound(1) === 2, "bounds 0 to 2");
check(joined(phrases) === "at all times|at the present time|at this point in time", "phrases of 'at' in order");
check(joined(engine.MatchWord("aT")) === joined(phrases), "the word's case does not matter");
check(engine.MatchWord("atx") === null, "no phrase begins with 'atx'");
check(engine.MatchWord("") === null, "the empty word gives null");
check(joined(engine.MatchWord("24")) === "24 hours a day", "a first word made of digits");

check(joined(engine.LookupAlternatePhrases("with regard to")) === "about|regarding|on", "alternates in table order");
check(engine.LookupAlternatePhrases("with regard to ") === null, "a trailing space is not trimmed");

check(engine.GetIgnoredPhrases() === null, "the list starts empty");
engine.AddIgnoredPhrase("with regard to");
engine.AddIgnoredPhrase("WITH REGARD TO");
check(joined(engine.GetIgnoredPhrases()) === "with regard to", "a case variant of an ignored phrase adds nothing");
check(joined(engine.MatchWord("with")) === "with the exception of", "an ignored phrase is no longer offered");
check(joined(other.MatchWord("with")) === "with regard to|with the exception of", "each object has its own list");
check(errorOf(function () { engine.RemoveIgnoredPhrase("not listed"); }) === E_UNEXPECTED,
      "removing a phrase that is not listed fails with E_UNEXPECTED");
check(errorOf(function () { engine.AddIgnoredPhrase("\u00e9t\u00e9"); }) === (firstRelease ? 0 : E_UNEXPECTED),
      "a phrase starting with a byte above 0x7F is refused, or (1.0.0.1) has nothing to ignore");
engine.ClearIgnoredPhrases();
check(engine.GetIgnoredPhrases() === null, "clearing empties the list");
check(joined(engine.MatchWord("with")) === "with regard to|with the exception of", "clearing restores the phrase");

if (firstRelease) {
    check(errorOf(function () { engine.SaveIgnoredPhrases(); }) === NOT_SUPPORTED, "SaveIgnoredPhrases is not supported");
    check(errorOf(function () { engine.LoadIgnoredPhrases(); }) === NOT_SUPPORTED, "LoadIgnoredPhrases is not supported");
} else {
    engine.AddIgnoredPhrase("plan ahead");
    engine.SaveIgnoredPhrases();
    var loader = new ActiveXObject("Pelrin.PelrinEngine.1");
    loader.LoadIgnoredPhrases();
    check(joined(loader.GetIgnoredPhrases()) === "plan ahead", "the saved list loads into another object");
    check(joined(loader.MatchWord("plan")) === "plan ahead", "a loaded phrase is still offered");
}

if (failures === 0) {
    WScript.Echo("SUITE PASSED");
    WScript.Quit(0);
}
WScript.Echo(failures + " check(s) failed");
WScript.Quit(1);
