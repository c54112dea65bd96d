' Creates each ProgID given, first with VBScript's own CreateObject, then
' with the script host's WScript.CreateObject, and prints one line for each
' attempt: "object", or the error's number and description. The Wine test
' compares the whole output with create_object_wine.expected.
Option Explicit
On Error Resume Next

Dim i, progid, o
For i = 0 To WScript.Arguments.Count - 1
  progid = WScript.Arguments(i)
  Set o = CreateObject(progid)
  Report "CreateObject", progid, o
  Set o = WScript.CreateObject(progid)
  Report "WScript.CreateObject", progid, o
Next

Sub Report(how, progid, o)
  If Err.Number <> 0 Then
    WScript.Echo how & " " & progid & ": error " & Err.Number & " " & Err.Description
    Err.Clear
  ElseIf IsObject(o) Then
    WScript.Echo how & " " & progid & ": object"
  Else
    WScript.Echo how & " " & progid & ": no object and no error"
  End If
End Sub
