// One upload round and one download round on a TORVEX tray tree, as
// docs/host-guide.md recommends them, in JScript for Windows Script Host.
//
// Usage: cscript //nologo round.js ROOT FI OUTBOX INBOX
//   ROOT    the tray tree's root, e.g. C:\Troca (a drive letter, no UNC path)
//   FI      what to send, e.g. C:\Dados\*.txt
//   OUTBOX  the folder standing in for the service: sent archives go there
//   INBOX   where archives received from the service wait (D?????.ARJ)
// Exit status: 0 when everything went, 1 when something needs an operator,
// 2 for a wrong command line.
var fso = new ActiveXObject("Scripting.FileSystemObject");
var problems = 0;

function say(text) { WScript.Echo(text); }
// stderr exists only under cscript.exe (and not under Wine's): else the
// message goes where WScript.Echo puts it.
function complain(text) {
  try {
    WScript.StdErr.WriteLine("round: " + text);
  } catch (e) {
    WScript.Echo("round: " + text);
  }
}
function problem(text) { complain(text); problems++; }

// The names of the files in a folder. An Enumerator walks the Files
// collection; script engines that cannot enumerate it (Wine's JScript)
// get the names from "dir /b" instead.
function fileNames(folder) {
  var names = [];
  try {
    for (var e = new Enumerator(fso.GetFolder(folder).Files); !e.atEnd(); e.moveNext()) {
      names.push(e.item().Name);
    }
    return names;
  } catch (x) {
    var list = fso.BuildPath(fso.GetSpecialFolder(2), fso.GetTempName());
    new ActiveXObject("WScript.Shell").Run("cmd /c dir /b /a-d \"" + folder + "\" > \"" + list + "\"", 0, true);
    var text = fso.OpenTextFile(list, 1).ReadAll();
    fso.DeleteFile(list);
    return text.split("\r\n").slice(0, -1);
  }
}

// Copies under a temporary name, then renames, so that nobody reading the
// target folder sees half a file.
function copyWhole(from, folder, name) {
  var part = folder + "\\" + name + ".part", target = folder + "\\" + name;
  fso.CopyFile(from, part, true);
  if (fso.FileExists(target)) fso.DeleteFile(target);
  fso.MoveFile(part, target);
}

// A new number for every round, kept in the tree's free WORK folder and
// written before it is used.
function nextRoundNumber(root) {
  var path = root + "\\WORK\\upload.number";
  var n = fso.FileExists(path) ? parseInt(fso.OpenTextFile(path, 1).ReadLine(), 10) : 0;
  var f = fso.CreateTextFile(path, true);
  f.WriteLine(String(n + 1));
  f.Close();
  return n + 1;
}

function uploadRound(c, root, fi, outbox) {
  var n = nextRoundNumber(root);
  var r = c.geraArquivoUpload(root, fi, "", n);
  if (r == 2) problem("the rename folder does not exist; nothing more was packed");
  else if (r != 0) throw new Error("geraArquivoUpload refused its arguments (" + r + ")");
  // 0 does not say that everything was packed: look for what stayed.
  if (c.existeArquivo(fi) == 0) problem("files named by " + fi + " stayed; the next round tries them again");

  // Walk the listing to its end before deleting: each deletion shifts the
  // later indices.
  var archives = [];
  for (var i = 1;; i++) {
    var name = c.recuperaArquivoUpload(root, i);
    if (!name) break;  // the null string: no more archives
    archives.push(name);
  }
  var work = root + "\\OUTTRAY\\WORK\\";
  for (var k = 0; k < archives.length; k++) {
    var archive = archives[k], record = archive.replace(/\.[^.]*$/, ".DAT");
    // TORVEX never lists an archive without its record; one that lacks it
    // was left by something else and needs an operator.
    if (c.existeArquivo(work + record) != 0) {
      problem(archive + " has no record; not sent");
      continue;
    }
    try {
      copyWhole(work + archive, outbox, archive);
      copyWhole(work + record, outbox, record);
    } catch (e) {
      problem("could not send " + archive + ": " + e.description);
      continue;
    }
    say("sent " + archive + " and " + record);
    // The archive first: an interruption then leaves only a record, which
    // the next round overwrites.
    if (c.deletaArquivo(work + archive) != 0) problem(archive + " not deleted; it is sent again next round");
    else if (c.deletaArquivo(work + record) != 0) problem(record + " not deleted");
  }
  return n;
}

// Five lines a record: "#", stamp, archive, final path, time.
function readRecords(path) {
  var text = fso.OpenTextFile(path, 1).ReadAll();
  var lines = text.split("\r\n");
  if (lines.pop() !== "" || lines.length % 5 != 0) return null;
  var records = [];
  for (var i = 0; i < lines.length; i += 5) {
    if (lines[i] !== "#") return null;
    records.push({stamp: lines[i + 1], archive: lines[i + 2], path: lines[i + 3], time: lines[i + 4]});
  }
  return records;
}

function downloadRound(c, root, inbox) {
  var work = root + "\\INTRAY\\WORK";
  var names = fileNames(inbox);
  for (var k = 0; k < names.length; k++) {
    var name = names[k], path = inbox + "\\" + name;
    if (!/^D.{5}\.ARJ$/i.test(name)) continue;
    // Never store over an archive of that name that still waits.
    if (c.existeArquivo(work + "\\" + name) == 0) {
      problem(name + " already waits in INTRAY\\WORK; left in " + inbox);
      continue;
    }
    try {
      copyWhole(path, work, name);
      fso.DeleteFile(path);
    } catch (x) {
      problem("could not store " + name + ": " + x.description);
    }
  }

  // 0: the control file exists; 1: nothing received, or no control file.
  // One an earlier round could not finish is read whatever the result.
  c.disponibilizaArquivos(root);
  var control = c.recuperaControleDownload(root);
  if (control) {
    var records = readRecords(control);
    if (records === null) {
      problem(control + " could not be read as whole records; kept");
    } else {
      for (var i = 0; i < records.length; i++) {
        var rec = records[i];
        say("delivered " + rec.archive + " (stamp " + rec.stamp + ") to " + rec.path + " at " + rec.time);
      }
      // Every record has been acted on: the next pass starts a fresh file. A
      // record read twice must do no harm.
      if (c.deletaArquivo(control) != 0) problem(control + " not deleted");
    }
  }
  // Archives that could not be delivered stay and are tried on every pass.
  if (c.existeArquivo(work + "\\D?????.ARJ") == 0) problem("received archives in " + work + " could not be delivered");
}

function main(args) {
  if (args.length != 4) {
    complain("usage: cscript //nologo round.js ROOT FI OUTBOX INBOX");
    return 2;
  }
  var root = args(0);
  var c;
  try {
    c = new ActiveXObject("TORVEX.Controlador");
  } catch (e) {
    complain("TORVEX.Controlador cannot be created; is it registered for this script host's " +
             "architecture? " + e.description);
    return 1;
  }
  if (c.criaInfraEstrutura(root) != 0) { problem("root " + root + " refused"); return 1; }
  if (c.existeArquivo(root + "\\OUTTRAY\\WORK") != 0) { problem("trays not made"); return 1; }
  var n = uploadRound(c, root, args(1), args(2));
  downloadRound(c, root, args(3));
  if (problems > 0) return 1;
  say("round " + n + " done");
  return 0;
}

var status;
try {
  status = main(WScript.Arguments);
} catch (e) {
  complain(e.description || e.message);
  status = 1;
}
WScript.Quit(status);
