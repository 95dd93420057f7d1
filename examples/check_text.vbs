' Points at every wordy phrase of a text file that the engine knows, with its
' plainer alternates, as pelrin-check does (without its options):
'   cscript //nologo check_text.vbs FILE
'   FILE:LINE:COLUMN: "phrase as written" -> "alternate", ...
' Reads the file in the ANSI code page. Words are runs of ASCII letters and
' digits; an apostrophe or a hyphen between two of them joins them into one
' word. A phrase matches without regard to case across spaces, tabs and line
' breaks; any other character ends it. The user's ignore list counts.
' Exit status: 0 nothing found, 1 phrases found, 2 error.
' Needs PELRIN.DLL registered for the host's bitness (regsvr32 PELRIN.DLL).
Option Explicit

Dim fso, path, text, finder, spaces, apostrophe, words, engine, ignored, cache, list, phrase
Dim i, asked, best, count, bestPhrase, written, alternates, alternate, line, column, scanned, found

Set fso = CreateObject("Scripting.FileSystemObject")
If WScript.Arguments.Count <> 1 Then
    WScript.Echo "usage: cscript //nologo check_text.vbs FILE"
    WScript.Quit 2
End If
path = WScript.Arguments(0)
If Not fso.FileExists(path) Then
    WScript.Echo path & ": error: no such file"
    WScript.Quit 2
End If
text = ""
If fso.GetFile(path).Size > 0 Then text = fso.OpenTextFile(path).ReadAll

Set finder = New RegExp
finder.Global = True
finder.Pattern = "[A-Za-z0-9]+(?:['\u2019-][A-Za-z0-9]+)*"
Set words = finder.Execute(text)
Set spaces = New RegExp
spaces.Pattern = "^[ \t\r\n]+$"
Set apostrophe = New RegExp
apostrophe.Global = True
apostrophe.Pattern = "\u2019"

Set engine = CreateObject("Pelrin.PelrinEngine.1")
Set ignored = CreateObject("Scripting.Dictionary")
engine.LoadIgnoredPhrases
list = engine.GetIgnoredPhrases
If Not IsNull(list) Then
    For Each phrase In list
        ignored(Key(phrase)) = True
    Next
End If
Set cache = CreateObject("Scripting.Dictionary") ' one MatchWord per distinct word

' A word as the engine is asked: lower case, typographic apostrophe as '.
Function Key(word)
    Key = apostrophe.Replace(LCase(word), "'")
End Function

' The text between word n-1 and word n.
Function Gap(n)
    Dim after
    after = words(n - 1).FirstIndex + words(n - 1).Length
    Gap = Mid(text, after + 1, words(n).FirstIndex - after)
End Function

' The number of words of `phrase` when it starts at word `at`, else 0.
Function WordsMatched(phrase, at)
    Dim count, n, joined
    WordsMatched = 0
    If ignored.Exists(Key(phrase)) Then Exit Function
    count = Len(phrase) - Len(Replace(phrase, " ", "")) + 1
    If at + count > words.Count Then Exit Function
    joined = Key(words(at).Value)
    For n = at + 1 To at + count - 1
        If Not spaces.Test(Gap(n)) Then Exit Function
        joined = joined & " " & Key(words(n).Value)
    Next
    If joined = Key(phrase) Then WordsMatched = count
End Function

' Moves line and column to the character at index `target` (from 0).
Sub MoveTo(target)
    Dim c
    Do While scanned < target
        c = Mid(text, scanned + 1, 1)
        If c = vbLf And scanned > 0 Then
            If Mid(text, scanned, 1) <> vbCr Then line = line + 1: column = 1
        ElseIf c = vbLf Or c = vbCr Then
            line = line + 1: column = 1
        Else
            column = column + 1
        End If
        scanned = scanned + 1
    Loop
End Sub

line = 1: column = 1: scanned = 0: found = 0: i = 0
Do While i < words.Count
    asked = Key(words(i).Value)
    If Not cache.Exists(asked) Then cache.Add asked, engine.MatchWord(asked)
    list = cache(asked)
    best = 0
    If Not IsNull(list) Then
        For Each phrase In list
            count = WordsMatched(phrase, i)
            If count > best Then best = count: bestPhrase = phrase
        Next
    End If
    If best = 0 Then
        i = i + 1
    Else
        MoveTo words(i).FirstIndex
        written = words(i).Value
        For count = i + 1 To i + best - 1
            written = written & " " & words(count).Value
        Next
        written = path & ":" & line & ":" & column & ": """ & written & """ ->"
        alternates = engine.LookupAlternatePhrases(bestPhrase)
        If IsNull(alternates) Then
            written = written & " (omit)"
        Else
            count = 0
            For Each alternate In alternates
                If count > 0 Then written = written & ","
                written = written & " """ & alternate & """"
                count = count + 1
            Next
        End If
        WScript.Echo written
        found = found + 1
        i = i + best
    End If
Loop
If found > 0 Then WScript.Quit 1
WScript.Quit 0
