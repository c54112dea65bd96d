' A round trip on one tray tree through the versioned ProgID
' TORVEX.Controlador.1, as a VBScript host calls it, with the types of the
' results as VBScript sees them. Prints one line per result; the Wine test
' compares the whole output with round_trip_vbs.expected. Argument: the root,
' e.g. C:\e2e\vbs, holding ENVIAR\ and RECEBIDOS\ as the JScript test has them.
Option Explicit
On Error Resume Next

Dim failures, fso, c, root, work, control
failures = 0
Set fso = CreateObject("Scripting.FileSystemObject")

' Every call is followed by Show, which also reports a raised error; Empty
' stands for a step without a result of its own.
Sub Show(what, v)
  If Err.Number <> 0 Then
    WScript.Echo what & ": error " & Hex(Err.Number) & " " & Err.Description
    Err.Clear
    failures = failures + 1
  ElseIf IsEmpty(v) Then
    WScript.Echo what & ": ok"
  ElseIf TypeName(v) = "String" And Len(v) = 0 Then
    WScript.Echo what & ": String (empty)"
  Else
    WScript.Echo what & ": " & TypeName(v) & " " & v
  End If
End Sub

Function Masked(line)
  Dim re
  Set re = New RegExp
  re.Pattern = "^\d\d/\d\d/\d{4} \d\d:\d\d:\d\d$"
  If re.Test(line) Then Masked = "<dd/mm/yyyy hh:mm:ss>" Else Masked = line
End Function

Sub ShowTextFile(what, path)
  Dim lines, i
  lines = Split(fso.OpenTextFile(path, 1).ReadAll(), vbCrLf)
  Show what & " read", Empty
  For i = 0 To UBound(lines) - 1
    WScript.Echo what & " line " & (i + 1) & ": " & Masked(lines(i))
  Next
  WScript.Echo what & " last line ends with CR LF: " & (lines(UBound(lines)) = "")
End Sub

root = WScript.Arguments(0)
work = root & "\OUTTRAY\WORK\"
' The script host creates the object: Wine's VBScript CreateObject refuses
' it (docs/wine-departures.md); on Windows both ways create it.
Set c = WScript.CreateObject("TORVEX.Controlador.1")
Show "WScript.CreateObject", TypeName(c)

Show "criaInfraEstrutura", c.criaInfraEstrutura(root)
Show "existeArquivo INTRAY\WORK", c.existeArquivo(root & "\intray\work")

Show "geraArquivoUpload one file", c.geraArquivoUpload(root, root & "\ENVIAR\ARQ01.TXT", "", -2)
Show "recuperaArquivoUpload 1", c.recuperaArquivoUpload(root, 1)
Show "recuperaArquivoUpload 2", c.recuperaArquivoUpload(root, 2)
Show "existeArquivo record", c.existeArquivo(work & "F-2_arq01_txt.DAT")
Show "geraArquivoUpload nothing matches", c.geraArquivoUpload(root, root & "\ENVIAR\*.xyz", "", 1)
Show "geraArquivoUpload no separator", c.geraArquivoUpload(root, "ARQ01.TXT", "", 1)

' Download: the archive names an existing file, so it is replaced.
fso.CopyFile root & "\RECEBIDOS\D00004.ARJ", root & "\INTRAY\WORK\D00004.ARJ"
Show "copy received archive", Empty
Show "disponibilizaArquivos", c.disponibilizaArquivos(root)
control = c.recuperaControleDownload(root)
Show "recuperaControleDownload", control
ShowTextFile "ContDown.dat", control
WScript.Echo "CHEGADA\relatorio.txt: " & Replace(fso.OpenTextFile(root & "\CHEGADA\relatorio.txt", 1).ReadAll(), vbCrLf, "|")
Show "read replaced file", Empty

Show "deletaArquivo record", c.deletaArquivo(work & "F-2_arq01_txt.DAT")
Show "deletaArquivo archive", c.deletaArquivo(work & "F-2_arq01_txt.ARJ")
Show "recuperaArquivoUpload after delete", c.recuperaArquivoUpload(root, 1)
Show "deletaArquivo control file", c.deletaArquivo(control)
Show "disponibilizaArquivos nothing left", c.disponibilizaArquivos(root)

If failures > 0 Then WScript.Quit 1
WScript.Quit 0
