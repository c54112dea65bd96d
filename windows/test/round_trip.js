// A whole round trip on one tray tree through the ProgID TORVEX.Controlador,
// late-bound as a page's script calls it: create the tree, pack files for
// upload, list and delete archives, deliver received archives, read the
// control file. Prints one line per result; the Wine test compares the whole
// output with round_trip_js.expected. Argument: the root, e.g. C:\e2e\js,
// holding ENVIAR\ (files to send) and RECEBIDOS\ (archives "received").
var failed = false;
var fso = new ActiveXObject("Scripting.FileSystemObject");

function text(v) {
  if (typeof v === "string" && v.length === 0) return "(empty)";
  return typeof v + " " + v;
}
function show(what, v) { WScript.Echo(what + ": " + text(v)); }

// Times change from run to run: only their form is compared.
function masked(line) {
  return /^\d\d\/\d\d\/\d{4} \d\d:\d\d:\d\d$/.test(line) ? "<dd/mm/yyyy hh:mm:ss>" : line;
}

// Prints a text file line by line, and whether every line ends with CR LF.
function showTextFile(what, path) {
  var all = fso.OpenTextFile(path, 1).ReadAll();
  var lines = all.split("\r\n");
  var last = lines.pop();
  for (var i = 0; i < lines.length; i++) {
    WScript.Echo(what + " line " + (i + 1) + ": " + masked(lines[i]));
  }
  WScript.Echo(what + " lines end with CR LF, no bare LF: " +
               (last === "" && all.replace(/\r\n/g, "").indexOf("\n") < 0 ? "yes" : "no"));
}

function showFile(what, path) {
  var all = fso.FileExists(path) ? fso.OpenTextFile(path, 1).ReadAll() : "(missing)";
  WScript.Echo(what + ": " + all.replace(/\r\n/g, "|"));
}

function receive(root, name) {
  fso.CopyFile(root + "\\RECEBIDOS\\" + name, root + "\\INTRAY\\WORK\\" + name);
}

function roundTrip(root) {
  var c = new ActiveXObject("TORVEX.Controlador");
  var work = root + "\\OUTTRAY\\WORK\\";

  show("criaInfraEstrutura", c.criaInfraEstrutura(root));
  show("criaInfraEstrutura again", c.criaInfraEstrutura(root));
  show("criaInfraEstrutura network path", c.criaInfraEstrutura("\\\\servidor\\pasta"));
  show("criaInfraEstrutura 1:", c.criaInfraEstrutura("1:\\x"));
  show("tray OUTTRAY\\WORK", c.existeArquivo(work));
  show("tray data/diario", c.existeArquivo(root + "/data/diario"));
  show("existeArquivo missing", c.existeArquivo(root + "\\nada.txt"));
  show("existeArquivo empty", c.existeArquivo(""));
  show("existeArquivo *.txt before upload", c.existeArquivo(root + "\\ENVIAR\\*.txt"));

  // Upload: every .txt file is packed and deleted.
  show("geraArquivoUpload *.txt", c.geraArquivoUpload(root, root + "\\ENVIAR\\*.txt", "", 7));
  for (var i = 0; i <= 3; i++) show("recuperaArquivoUpload " + i, c.recuperaArquivoUpload(root, i));
  show("recuperaArquivoUpload -5", c.recuperaArquivoUpload(root, -5));
  show("existeArquivo *.txt after upload", c.existeArquivo(root + "\\ENVIAR\\*.txt"));
  showTextFile("F7_arq01_txt.DAT", work + "F7_arq01_txt.DAT");

  // Upload with a rename target, then one whose target directory is missing.
  show("geraArquivoUpload rename", c.geraArquivoUpload(root, root + "\\ENVIAR\\dados.dbf",
                                                       root + "\\ENVIADOS\\*.old", 8));
  show("moved to ENVIADOS\\dados.old", c.existeArquivo(root + "\\ENVIADOS\\dados.old"));
  show("geraArquivoUpload missing rename dir", c.geraArquivoUpload(root, root + "\\ENVIAR\\extra.dat",
                                                                   root + "\\NAOHA\\x.*", 9));
  show("extra.dat left in place", c.existeArquivo(root + "\\ENVIAR\\extra.dat"));
  show("F9 archive not left", c.existeArquivo(work + "F9_*"));

  show("deletaArquivo archive", c.deletaArquivo(work + "F8_dados_dbf.ARJ"));
  show("deletaArquivo archive again", c.deletaArquivo(work + "F8_dados_dbf.ARJ"));
  show("deletaArquivo wildcard", c.deletaArquivo(work + "*.DAT"));
  show("deletaArquivo directory", c.deletaArquivo(root + "\\OUTTRAY"));
  show("recuperaArquivoUpload 3 after delete", c.recuperaArquivoUpload(root, 3));

  // Download: a new file, a numbered message beside it, an append.
  show("disponibilizaArquivos nothing received", c.disponibilizaArquivos(root));
  show("recuperaControleDownload before", c.recuperaControleDownload(root));
  receive(root, "D00001.ARJ");
  receive(root, "D00002.ARJ");
  receive(root, "D00003.ARJ");
  show("disponibilizaArquivos", c.disponibilizaArquivos(root));
  show("archives left", c.existeArquivo(root + "\\INTRAY\\WORK\\D*.ARJ"));
  show("descriptors left", c.existeArquivo(root + "\\INTRAY\\*.FN"));
  var control = c.recuperaControleDownload(root);
  show("recuperaControleDownload", control);
  showTextFile("ContDown.dat", control);
  showFile("CHEGADA\\relatorio.txt", root + "\\CHEGADA\\relatorio.txt");
  showFile("CHEGADA\\M00001.QVX", root + "\\CHEGADA\\M00001.QVX");
  showFile("CHEGADA\\log.txt", root + "\\CHEGADA\\log.txt");
  show("disponibilizaArquivos again", c.disponibilizaArquivos(root));
  show("deletaArquivo control file", c.deletaArquivo(control));
  show("recuperaControleDownload after delete", c.recuperaControleDownload(root));
}

try {
  roundTrip(WScript.Arguments(0));
} catch (e) {
  WScript.Echo("error: " + (e.number >>> 0).toString(16) + " " + e.description);
  failed = true;
}
WScript.Quit(failed ? 1 : 0);
