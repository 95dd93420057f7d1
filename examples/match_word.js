// Prints the phrases that begin with a word, and each phrase's alternates.
//   cscript //nologo match_word.js [word]
// Needs PELRIN.DLL registered for the host's bitness (regsvr32 PELRIN.DLL).

var word = WScript.Arguments.Count() > 0 ? WScript.Arguments.Item(0) : "at";
var engine = new ActiveXObject("Pelrin.PelrinEngine.1");

// A list comes back as a SAFEARRAY of strings, or null when there is none.
function toArray(result) {
    return result === null ? null : new VBArray(result).toArray();
}

var phrases = toArray(engine.MatchWord(word));
if (phrases === null) {
    WScript.Echo("No phrase begins with \"" + word + "\".");
} else {
    WScript.Echo("Phrases that begin with \"" + word + "\":");
    for (var i = 0; i < phrases.length; i++) {
        WScript.Echo("  " + phrases[i]);
        var alternates = toArray(engine.LookupAlternatePhrases(phrases[i]));
        for (var j = 0; alternates !== null && j < alternates.length; j++)
            WScript.Echo("      -> " + alternates[j]);
    }
}
