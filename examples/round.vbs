' One upload round and one download round on a TORVEX tray tree, as
' docs/host-guide.md recommends them, in VBScript for Windows Script Host.
'
' Usage: cscript //nologo round.vbs ROOT FI OUTBOX INBOX
'   ROOT    the tray tree's root, e.g. C:\Troca (a drive letter, no UNC path)
'   FI      what to send, e.g. C:\Dados\*.txt
'   OUTBOX  the folder standing in for the service: sent archives go there
'   INBOX   where archives received from the service wait (D?????.ARJ)
' Exit status: 0 when everything went, 1 when something needs an operator,
' 2 for a wrong command line.
Option Explicit
Dim fso, problems
Set fso = CreateObject("Scripting.FileSystemObject")
problems = 0

Sub Say(text)
  WScript.Echo text
End Sub

' stderr exists only under cscript.exe (and not under Wine's): else the
' message goes where WScript.Echo puts it.
Sub Complain(text)
  On Error Resume Next
  WScript.StdErr.WriteLine "round: " & text
  If Err.Number <> 0 Then WScript.Echo "round: " & text
  On Error GoTo 0
End Sub

Sub Problem(text)
  Complain text
  problems = problems + 1
End Sub

' Copies under a temporary name, then renames, so that nobody reading the
' target folder sees half a file. False when that failed.
Function CopyWhole(from, folder, name)
  Dim part, target
  part = folder & "\" & name & ".part"
  target = folder & "\" & name
  On Error Resume Next
  fso.CopyFile from, part, True
  If fso.FileExists(target) Then fso.DeleteFile target
  fso.MoveFile part, target
  CopyWhole = (Err.Number = 0)
  If Err.Number <> 0 Then Problem "could not copy " & from & ": " & Err.Description
  On Error GoTo 0
End Function

' A new number for every round, kept in the tree's free WORK folder and
' written before it is used.
Function NextRoundNumber(root)
  Dim path, n, f
  path = root & "\WORK\upload.number"
  n = 0
  If fso.FileExists(path) Then n = CLng(fso.OpenTextFile(path, 1).ReadLine())
  Set f = fso.CreateTextFile(path, True)
  f.WriteLine CStr(n + 1)
  f.Close
  NextRoundNumber = n + 1
End Function

Function UploadRound(c, root, fi, outbox)
  Dim n, r, archives, i, name, work, archive, record
  n = NextRoundNumber(root)
  r = c.geraArquivoUpload(root, fi, "", n)
  If r = 2 Then
    Problem "the rename folder does not exist; nothing more was packed"
  ElseIf r <> 0 Then
    Problem "geraArquivoUpload refused its arguments (" & r & ")"
    UploadRound = n
    Exit Function
  End If
  ' 0 does not say that everything was packed: look for what stayed.
  If c.existeArquivo(fi) = 0 Then Problem "files named by " & fi & " stayed; the next round tries them again"

  ' Walk the listing to its end before deleting: each deletion shifts the
  ' later indices.
  Set archives = CreateObject("Scripting.Dictionary")
  i = 1
  Do
    name = c.recuperaArquivoUpload(root, i)
    If name = "" Then Exit Do  ' the null string: no more archives
    archives.Add i, name
    i = i + 1
  Loop
  work = root & "\OUTTRAY\WORK\"
  For Each archive In archives.Items
    record = Left(archive, InStrRev(archive, ".")) & "DAT"
    ' TORVEX never lists an archive without its record; one that lacks it
    ' was left by something else and needs an operator.
    If c.existeArquivo(work & record) <> 0 Then
      Problem archive & " has no record; not sent"
    ElseIf CopyWhole(work & archive, outbox, archive) Then
      ' (VBScript's And would copy the record after a failed archive too.)
      If CopyWhole(work & record, outbox, record) Then
        Say "sent " & archive & " and " & record
        ' The archive first: an interruption then leaves only a record,
        ' which the next round overwrites.
        If c.deletaArquivo(work & archive) <> 0 Then
          Problem archive & " not deleted; it is sent again next round"
        ElseIf c.deletaArquivo(work & record) <> 0 Then
          Problem record & " not deleted"
        End If
      End If
    End If
  Next
  UploadRound = n
End Function

' Prints the records, five lines each: "#", stamp, archive, final path,
' time. False when the file is not whole records.
Function ShowRecords(path)
  Dim lines, i
  lines = Split(fso.OpenTextFile(path, 1).ReadAll(), vbCrLf)
  ShowRecords = False
  ' Split leaves one empty item after the last CR LF.
  If lines(UBound(lines)) <> "" Or UBound(lines) Mod 5 <> 0 Then Exit Function
  For i = 0 To UBound(lines) - 1 Step 5
    If lines(i) <> "#" Then Exit Function
  Next
  For i = 0 To UBound(lines) - 1 Step 5
    Say "delivered " & lines(i + 2) & " (stamp " & lines(i + 1) & ") to " & lines(i + 3) & " at " & lines(i + 4)
  Next
  ShowRecords = True
End Function

Sub DownloadRound(c, root, inbox)
  Dim work, file, re, control
  work = root & "\INTRAY\WORK"
  Set re = New RegExp
  re.Pattern = "^D.{5}\.ARJ$"
  re.IgnoreCase = True
  For Each file In fso.GetFolder(inbox).Files
    If re.Test(file.Name) Then
      ' Never store over an archive of that name that still waits.
      If c.existeArquivo(work & "\" & file.Name) = 0 Then
        Problem file.Name & " already waits in INTRAY\WORK; left in " & inbox
      ElseIf CopyWhole(file.Path, work, file.Name) Then
        fso.DeleteFile file.Path
      End If
    End If
  Next

  ' 0: the control file exists; 1: nothing received, or no control file.
  ' One an earlier round could not finish is read whatever the result.
  c.disponibilizaArquivos root
  control = c.recuperaControleDownload(root)
  If control <> "" Then
    If Not ShowRecords(control) Then
      Problem control & " could not be read as whole records; kept"
    ElseIf c.deletaArquivo(control) <> 0 Then
      ' Every record has been acted on: the next pass starts a fresh file.
      ' A record read twice must do no harm.
      Problem control & " not deleted"
    End If
  End If
  ' Archives that could not be delivered stay and are tried on every pass.
  If c.existeArquivo(work & "\D?????.ARJ") = 0 Then Problem "received archives in " & work & " could not be delivered"
End Sub

Function Main(args)
  Dim root, c, n
  If args.Count <> 4 Then
    Complain "usage: cscript //nologo round.vbs ROOT FI OUTBOX INBOX"
    Main = 2
    Exit Function
  End If
  root = args(0)
  On Error Resume Next
  ' WScript.CreateObject: the script host creates the object, which works
  ' under Wine too, whose VBScript CreateObject refuses it
  ' (docs/wine-departures.md).
  Set c = WScript.CreateObject("TORVEX.Controlador")
  If Err.Number <> 0 Then
    Complain "TORVEX.Controlador cannot be created; is it registered for this script host's " & _
             "architecture? " & Err.Description
    Main = 1
    Exit Function
  End If
  On Error GoTo 0
  Main = 1
  If c.criaInfraEstrutura(root) <> 0 Then
    Problem "root " & root & " refused"
  ElseIf c.existeArquivo(root & "\OUTTRAY\WORK") <> 0 Then
    Problem "trays not made"
  Else
    n = UploadRound(c, root, args(1), args(2))
    DownloadRound c, root, args(3)
    If problems = 0 Then
      Say "round " & n & " done"
      Main = 0
    End If
  End If
End Function

WScript.Quit Main(WScript.Arguments)
