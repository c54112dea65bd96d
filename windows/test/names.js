// Names outside ASCII, as a host on a Western (Windows-1252) system has them:
// a name a method returns, passed back to the methods and to the host's own
// file calls, reaches the file it names; a name the code page lacks
// ("\u03A9mega.txt") is left alone and never taken for another ("Omega.txt");
// &TELVORIN reads the value the test wrote in the 32-bit registry view only.
// Argument: a folder (C:\e2e\names_js) holding ENVIAR\, RECEBIDOS\ and telvorin\. Characters
// outside ASCII are printed as \uXXXX, so the expected output is plain text.
var fso = new ActiveXObject("Scripting.FileSystemObject");

function escaped(s) {
  return String(s).replace(/[^\x20-\x7e]/g, function (ch) {
    return "\\u" + ("000" + ch.charCodeAt(0).toString(16)).slice(-4);
  });
}
function show(what, v) { WScript.Echo(escaped(what) + ": " + typeof v + " " + escaped(v)); }

function names(base) {
  var root = base + "\\Troca\u00e7\u00e3o";
  var work = root + "\\OUTTRAY\\WORK\\";
  var omega = base + "\\ENVIAR\\\u03a9mega.txt";
  var c = new ActiveXObject("TORVEX.Controlador");

  show("criaInfraEstrutura", c.criaInfraEstrutura(root));
  show("geraArquivoUpload *.txt", c.geraArquivoUpload(root, base + "\\ENVIAR\\*.txt", "", 1));
  fso.CreateFolder(base + "\\COPIAS");
  // Each listed name, passed back: the methods, the host's own calls.
  for (var name; (name = c.recuperaArquivoUpload(root, 1)); ) {
    show("recuperaArquivoUpload 1", name);
    show("  existeArquivo", c.existeArquivo(work + name));
    fso.CopyFile(work + name, base + "\\COPIAS\\");
    show("  copied by the host", fso.FileExists(base + "\\COPIAS\\" + name));
    show("  deletaArquivo", c.deletaArquivo(work + name));
    show("  gone", !fso.FileExists(work + name));
  }
  show("Omega.txt sent", !fso.FileExists(base + "\\ENVIAR\\Omega.txt"));
  show("\u03a9mega.txt left alone", fso.FileExists(omega));
  show("existeArquivo \u03a9mega.txt", c.existeArquivo(omega));
  show("deletaArquivo \u03a9mega.txt", c.deletaArquivo(omega));
  show("\u03a9mega.txt still there", fso.FileExists(omega));

  show("geraArquivoUpload &TELVORIN", c.geraArquivoUpload(root, "&TELVORIN\\telvorin.txt", "", 2));
  show("recuperaArquivoUpload after &TELVORIN", c.recuperaArquivoUpload(root, 1));

  // A delivery under the accented root, to an accented name.
  fso.CreateFolder(root + "\\CHEGADA");
  fso.CopyFile(base + "\\RECEBIDOS\\D00006.ARJ", root + "\\INTRAY\\WORK\\");
  show("disponibilizaArquivos", c.disponibilizaArquivos(root));
  var control = c.recuperaControleDownload(root);
  show("recuperaControleDownload", control);
  show("the host opens it", fso.OpenTextFile(control, 1).ReadAll().split("\r\n")[3]);
  show("delivered", fso.FileExists(root + "\\CHEGADA\\relat\u00f3rio.txt"));
  show("deletaArquivo control file", c.deletaArquivo(control));
}

try {
  names(WScript.Arguments(0));
  WScript.Quit(0);
} catch (e) {
  WScript.Echo("error: " + (e.number >>> 0).toString(16) + " " + e.description);
  WScript.Quit(1);
}
