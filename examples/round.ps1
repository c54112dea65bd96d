# One upload round and one download round on a TORVEX tray tree, as
# docs/host-guide.md recommends them, in PowerShell (Windows PowerShell 5.1
# or PowerShell 7 on Windows). The process's architecture must match a
# registered TORVEX: 64-bit PowerShell needs the x64 registration,
# C:\Windows\SysWOW64\WindowsPowerShell\v1.0\powershell.exe the x86 one.
#
# Usage: powershell -File round.ps1 ROOT FI OUTBOX INBOX
#   ROOT    the tray tree's root, e.g. C:\Troca (a drive letter, no UNC path)
#   FI      what to send, e.g. C:\Dados\*.txt
#   OUTBOX  the folder standing in for the service: sent archives go there
#   INBOX   where archives received from the service wait (D?????.ARJ)
# Exit status: 0 when everything went, 1 when something needs an operator,
# 2 for a wrong command line.
param(
  [Parameter(Mandatory = $true)][string]$Root,
  [Parameter(Mandatory = $true)][string]$Fi,
  [Parameter(Mandatory = $true)][string]$Outbox,
  [Parameter(Mandatory = $true)][string]$Inbox
)
$ErrorActionPreference = 'Stop'
$script:problems = 0

function Report-Problem([string]$text) {
  [Console]::Error.WriteLine("round: $text")
  $script:problems++
}

# Copies under a temporary name, then renames, so that nobody reading the
# target folder sees half a file. False when that failed.
function Copy-Whole([string]$from, [string]$folder, [string]$name) {
  $part = Join-Path $folder "$name.part"
  try {
    Copy-Item -LiteralPath $from -Destination $part -Force
    Move-Item -LiteralPath $part -Destination (Join-Path $folder $name) -Force
    return $true
  } catch {
    Report-Problem "could not copy ${from}: $_"
    return $false
  }
}

# A new number for every round, kept in the tree's free WORK folder and
# written before it is used.
function Get-NextRoundNumber([string]$root) {
  $path = Join-Path $root 'WORK\upload.number'
  $n = 0
  if (Test-Path -LiteralPath $path) { $n = [int](Get-Content -LiteralPath $path -TotalCount 1) }
  Set-Content -LiteralPath $path -Value ($n + 1)
  return $n + 1
}

# try/catch does not see COM results: every method returns its outcome,
# and each is checked here.
function Invoke-UploadRound($c, [string]$root, [string]$fi, [string]$outbox) {
  $n = Get-NextRoundNumber $root
  $r = $c.geraArquivoUpload($root, $fi, '', $n)
  if ($r -eq 2) { Report-Problem 'the rename folder does not exist; nothing more was packed' }
  elseif ($r -ne 0) { Report-Problem "geraArquivoUpload refused its arguments ($r)"; return $n }
  # 0 does not say that everything was packed: look for what stayed.
  if ($c.existeArquivo($fi) -eq 0) { Report-Problem "files named by $fi stayed; the next round tries them again" }

  # Walk the listing to its end before deleting: each deletion shifts the
  # later indices.
  $archives = @()
  for ($i = 1; ; $i++) {
    $name = $c.recuperaArquivoUpload($root, $i)
    if ([string]::IsNullOrEmpty($name)) { break }  # the null string: no more archives
    $archives += $name
  }
  $work = Join-Path $root 'OUTTRAY\WORK'
  foreach ($archive in $archives) {
    $record = [IO.Path]::ChangeExtension($archive, 'DAT')
    # TORVEX never lists an archive without its record; one that lacks it
    # was left by something else and needs an operator.
    if ($c.existeArquivo((Join-Path $work $record)) -ne 0) {
      Report-Problem "$archive has no record; not sent"
    } elseif ((Copy-Whole (Join-Path $work $archive) $outbox $archive) -and
        (Copy-Whole (Join-Path $work $record) $outbox $record)) {
      Write-Host "sent $archive and $record"
      # The archive first: an interruption then leaves only a record, which
      # the next round overwrites.
      if ($c.deletaArquivo((Join-Path $work $archive)) -ne 0) {
        Report-Problem "$archive not deleted; it is sent again next round"
      } elseif ($c.deletaArquivo((Join-Path $work $record)) -ne 0) {
        Report-Problem "$record not deleted"
      }
    }
  }
  return $n
}

# The records, five lines each: "#", stamp, archive, final path, time; $null
# when the file is not whole records.
function Read-Records([string]$path) {
  $lines = [IO.File]::ReadAllText($path) -split "`r`n"
  if ($lines[-1] -ne '' -or ($lines.Count - 1) % 5 -ne 0) { return $null }
  $records = @()
  for ($i = 0; $i -lt $lines.Count - 1; $i += 5) {
    if ($lines[$i] -ne '#') { return $null }
    $records += [pscustomobject]@{
      Stamp = $lines[$i + 1]; Archive = $lines[$i + 2]; Path = $lines[$i + 3]; Time = $lines[$i + 4]
    }
  }
  return ,$records
}

function Invoke-DownloadRound($c, [string]$root, [string]$inbox) {
  $work = Join-Path $root 'INTRAY\WORK'
  foreach ($file in Get-ChildItem -LiteralPath $inbox -File) {
    if ($file.Name -notmatch '^D.{5}\.ARJ$') { continue }
    # Never store over an archive of that name that still waits.
    if ($c.existeArquivo((Join-Path $work $file.Name)) -eq 0) {
      Report-Problem "$($file.Name) already waits in INTRAY\WORK; left in $inbox"
    } elseif (Copy-Whole $file.FullName $work $file.Name) {
      Remove-Item -LiteralPath $file.FullName
    }
  }

  # 0: the control file exists; 1: nothing received, or no control file.
  # One an earlier round could not finish is read whatever the result.
  [void]$c.disponibilizaArquivos($root)
  $control = $c.recuperaControleDownload($root)
  if (-not [string]::IsNullOrEmpty($control)) {
    $records = Read-Records $control
    if ($null -eq $records) {
      Report-Problem "$control could not be read as whole records; kept"
    } else {
      foreach ($rec in $records) {
        Write-Host "delivered $($rec.Archive) (stamp $($rec.Stamp)) to $($rec.Path) at $($rec.Time)"
      }
      # Every record has been acted on: the next pass starts a fresh file.
      # A record read twice must do no harm.
      if ($c.deletaArquivo($control) -ne 0) { Report-Problem "$control not deleted" }
    }
  }
  # Archives that could not be delivered stay and are tried on every pass.
  if ($c.existeArquivo((Join-Path $work 'D?????.ARJ')) -eq 0) {
    Report-Problem "received archives in $work could not be delivered"
  }
}

try {
  $c = New-Object -ComObject TORVEX.Controlador
} catch {
  [Console]::Error.WriteLine("round: TORVEX.Controlador cannot be created; is it registered for " +
                             "this PowerShell's architecture? $_")
  exit 1
}
if ($c.criaInfraEstrutura($Root) -ne 0) { Report-Problem "root $Root refused"; exit 1 }
if ($c.existeArquivo((Join-Path $Root 'OUTTRAY\WORK')) -ne 0) { Report-Problem 'trays not made'; exit 1 }
$n = Invoke-UploadRound $c $Root $Fi $Outbox
Invoke-DownloadRound $c $Root $Inbox
if ($script:problems -gt 0) { exit 1 }
Write-Host "round $n done"
exit 0
