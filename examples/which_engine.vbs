' Tells which PELRIN.DLL this script host gets: the host's bitness, the DLL
' registered for it, and that DLL's answer for a word.
'   cscript //nologo which_engine.vbs [word]
' On 64-bit Windows C:\Windows\System32\cscript.exe is the 64-bit host and
' C:\Windows\SysWOW64\cscript.exe the 32-bit one; each gets the DLL registered
' with the regsvr32 of its own folder. Exits 1 when the host gets no engine.
Option Explicit

Dim shell, bits, word, engine, phrases, phrase, list
Set shell = CreateObject("WScript.Shell")
If shell.Environment("Process")("PROCESSOR_ARCHITECTURE") = "x86" Then bits = "32-bit" Else bits = "64-bit"
word = "at"
If WScript.Arguments.Count > 0 Then word = WScript.Arguments(0)

On Error Resume Next
Set engine = CreateObject("Pelrin.PelrinEngine.1")
If Err.Number <> 0 Then
    WScript.Echo bits & " host: no engine (error &H" & Hex(Err.Number) & ")"
    WScript.Quit 1
End If
On Error GoTo 0

WScript.Echo bits & " host: engine " & _
    shell.RegRead("HKCR\CLSID\{EDBA7DCF-775A-11D3-B1D4-00104BC9635C}\InprocServer32\")
phrases = engine.MatchWord(word)
If IsNull(phrases) Then
    WScript.Echo "  " & word & ": no phrase"
Else
    For Each phrase In phrases
        If list <> "" Then list = list & ", "
        list = list & phrase
    Next
    WScript.Echo "  " & word & ": " & list
End If
