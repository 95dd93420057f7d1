' Prints the phrases that begin with a word, and each phrase's alternates.
'   cscript //nologo match_word.vbs [word]
' Needs PELRIN.DLL registered for the host's bitness (regsvr32 PELRIN.DLL).
Option Explicit

Dim word, engine, phrases, phrase, alternates, alternate
word = "at"
If WScript.Arguments.Count > 0 Then word = WScript.Arguments(0)

Set engine = CreateObject("Pelrin.PelrinEngine.1")
phrases = engine.MatchWord(word)
If IsNull(phrases) Then
    WScript.Echo "No phrase begins with """ & word & """."
Else
    WScript.Echo "Phrases that begin with """ & word & """:"
    For Each phrase In phrases
        WScript.Echo "  " & phrase
        alternates = engine.LookupAlternatePhrases(phrase)
        If Not IsNull(alternates) Then
            For Each alternate In alternates
                WScript.Echo "      -> " & alternate
            Next
        End If
    Next
End If
