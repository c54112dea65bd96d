' The accented names of names.js from a VBScript host: the upload archive of
' relatório.txt, listed under the root Trocação, is deleted by the name it was
' given, and the control file's path opens. Argument: a folder holding ENVIAR\
' and RECEBIDOS\ as for names.js. Characters outside ASCII print as \uXXXX.
' Chr and Asc, not ChrW and AscW, which Wine lacks (docs/wine-departures.md,
' W4): on a Windows-1252 system they give the same Latin-1 characters.
Option Explicit

Dim fso, c, base, root, work, name, control
Set fso = CreateObject("Scripting.FileSystemObject")

Function Escaped(s)
  Dim i, ch
  Escaped = ""
  For i = 1 To Len(s)
    ch = Mid(s, i, 1)
    If Asc(ch) < 32 Or Asc(ch) > 126 Then
      Escaped = Escaped & "\u" & Right("000" & LCase(Hex(Asc(ch))), 4)
    Else
      Escaped = Escaped & ch
    End If
  Next
End Function

Sub Show(what, v)
  WScript.Echo Escaped(what) & ": " & TypeName(v) & " " & Escaped(CStr(v))
End Sub

base = WScript.Arguments(0)
root = base & "\Troca" & Chr(&HE7) & Chr(&HE3) & "o"
work = root & "\OUTTRAY\WORK\"
' The script host creates the object: Wine's VBScript CreateObject refuses
' it (W5 in docs/wine-departures.md); on Windows both ways create it.
Set c = WScript.CreateObject("TORVEX.Controlador")
Show "criaInfraEstrutura", c.criaInfraEstrutura(root)
Show "geraArquivoUpload", c.geraArquivoUpload(root, base & "\ENVIAR\relat" & Chr(&HF3) & "rio.txt", "", 3)
name = c.recuperaArquivoUpload(root, 1)
Show "recuperaArquivoUpload 1", name
Show "existeArquivo", c.existeArquivo(work & name)
Show "deletaArquivo", c.deletaArquivo(work & name)
Show "gone", Not fso.FileExists(work & name)

fso.CreateFolder root & "\CHEGADA"
fso.CopyFile base & "\RECEBIDOS\D00006.ARJ", root & "\INTRAY\WORK\"
Show "disponibilizaArquivos", c.disponibilizaArquivos(root)
control = c.recuperaControleDownload(root)
Show "recuperaControleDownload", control
Dim lines
lines = Split(fso.OpenTextFile(control, 1).ReadAll(), vbCrLf)
Show "the host opens it", lines(3)
WScript.Quit 0
