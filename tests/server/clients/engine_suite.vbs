' The engine through late binding, as a VBScript client sees it.
'   cscript //nologo engine_suite.vbs [1.0.0.1]
' With 1.0.0.1 it checks that version of the DLL: six methods, and any
' first character may be ignored.
' Ends with "SUITE PASSED" and exit code 0, or lists failures and exits 1.
' (cscript exits 0 on a runtime error too; the runner checks the last line.)
Option Explicit

Const E_UNEXPECTED = &H8000FFFF
Const NOT_SUPPORTED = 438 ' "Object doesn't support this property or method"
Dim failures : failures = 0
Dim firstRelease : firstRelease = False
If WScript.Arguments.Count > 0 Then firstRelease = (WScript.Arguments(0) = "1.0.0.1")

Sub Check(condition, description)
    If Not condition Then
        failures = failures + 1
        WScript.Echo "FAIL: " & description
    End If
End Sub

' Joins a result's strings with "|", or gives "(null)".
Function Joined(result)
    If IsNull(result) Then
        Joined = "(null)"
    Else
        Dim item, text : text = ""
        For Each item In result
            If text <> "" Then text = text & "|"
            text = text & item
        Next
        Joined = text
    End If
End Function

Dim engine, other, result, number, phrase, count
Set engine = CreateObject("Pelrin.PelrinEngine.1")
Set other = CreateObject("Pelrin.PelrinEngine.1")

' Word matching: whole first words, ASCII case ignored, case-insensitive order.
result = engine.MatchWord("at")
Check VarType(result) = vbArray + vbVariant, "MatchWord gives an array of variants"
Check LBound(result) = 0 And UBound(result) = 2, "three phrases begin with 'at'"
count = 0
For Each phrase In result
    Check VarType(phrase) = vbString, "every element is a string"
    count = count + 1
Next
Check count = 3, "For Each visits three phrases"
Check Joined(result) = "at all times|at the present time|at this point in time", "phrases of 'at' in order"
Check Joined(engine.MatchWord("AT")) = Joined(result), "the word's case does not matter"
Check IsNull(engine.MatchWord("a")) = False, "'a' is a first word"
Check IsNull(engine.MatchWord("atx")), "no phrase begins with 'atx'"
Check IsNull(engine.MatchWord("")), "the empty word gives Null"
Check IsNull(engine.MatchWord(" at")), "a leading space is not trimmed"
Check Joined(engine.MatchWord("100")) = "100 percent sure", "a first word made of digits"

' Alternates: exact phrases only.
Check Joined(engine.LookupAlternatePhrases("at the present time")) = "now|currently|today", "alternates in table order"
Check IsNull(engine.LookupAlternatePhrases("At the present time")), "alternate lookup is case-sensitive"
Check IsNull(engine.LookupAlternatePhrases("it is important to note that")), "a phrase without alternates gives Null"

' The ignore list.
Check IsNull(engine.GetIgnoredPhrases()), "the list starts empty"
engine.AddIgnoredPhrase "At All Times"
Check Joined(engine.MatchWord("at")) = "at the present time|at this point in time", "an ignored phrase is no longer offered"
Check Joined(engine.GetIgnoredPhrases()) = "At All Times", "the list keeps the case it was given"
Check Joined(engine.LookupAlternatePhrases("at all times")) = "always", "an ignored phrase keeps its alternates"
Check Joined(other.MatchWord("at")) = "at all times|at the present time|at this point in time", "each object has its own list"

On Error Resume Next
engine.RemoveIgnoredPhrase "not listed"
number = Err.Number
Err.Clear
engine.AddIgnoredPhrase "!at once"
If firstRelease Then
    Check Err.Number = 0, "a phrase starting with punctuation is taken like any other"
Else
    Check Err.Number = E_UNEXPECTED, "a phrase starting with punctuation is refused with E_UNEXPECTED"
End If
Err.Clear
On Error GoTo 0
Check number = E_UNEXPECTED, "removing a phrase that is not listed fails with E_UNEXPECTED"

engine.RemoveIgnoredPhrase "at all times"
Check Joined(engine.MatchWord("at")) = "at all times|at the present time|at this point in time", "a restored phrase comes back as the table spells it"
engine.AddIgnoredPhrase "in order to"
engine.AddIgnoredPhrase "prior to"
engine.ClearIgnoredPhrases
Check IsNull(engine.GetIgnoredPhrases()), "clearing empties the list"
Check InStr(Joined(engine.MatchWord("in")), "in order to") > 0, "clearing restores the phrases"

' Save and load across two objects; 1.0.0.1 has neither method.
If firstRelease Then
    On Error Resume Next
    engine.SaveIgnoredPhrases
    Check Err.Number = NOT_SUPPORTED, "SaveIgnoredPhrases is not supported"
    Err.Clear
    engine.LoadIgnoredPhrases
    Check Err.Number = NOT_SUPPORTED, "LoadIgnoredPhrases is not supported"
    On Error GoTo 0
    Check Joined(engine.MatchWord("in")) <> "(null)", "the engine still answers"
Else
    engine.AddIgnoredPhrase "in order to"
    engine.AddIgnoredPhrase "prior to"
    engine.SaveIgnoredPhrases
    Dim loader
    Set loader = CreateObject("Pelrin.PelrinEngine.1")
    loader.AddIgnoredPhrase "end result"
    loader.LoadIgnoredPhrases
    Check Joined(loader.GetIgnoredPhrases()) = "end result|in order to|prior to", "loading merges the saved list"
    Check InStr(Joined(loader.MatchWord("in")), "in order to") > 0, "a loaded phrase is still offered"
    loader.LoadIgnoredPhrases
    Check Joined(loader.GetIgnoredPhrases()) = "end result|in order to|prior to", "loading twice adds nothing"

    ' Another program holds the settings file open: saving fails, and says so.
    ' (&H1A: the user's application-data folder.)
    Dim holder
    Set holder = CreateObject("Scripting.FileSystemObject").OpenTextFile( _
        CreateObject("Shell.Application").NameSpace(&H1A).Self.Path & "\Pelrin\Pelrin.ini", 8)
    On Error Resume Next
    engine.SaveIgnoredPhrases
    number = Err.Number
    On Error GoTo 0
    holder.Close
    Check number = &H80070020, "saving into a file another program holds open fails with " & _
        "its sharing violation, not " & Hex(number)
End If

If failures = 0 Then
    WScript.Echo "SUITE PASSED"
    WScript.Quit 0
End If
WScript.Echo failures & " check(s) failed"
WScript.Quit 1
