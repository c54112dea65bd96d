// The Windows half of the differential check (scripts/windows-differential.sh):
// every scenario's calls, in one script process, through the registered
// server, late-bound as a host calls it; a new object for each scenario.
// Argument: the calls file, UTF-16, one call a line, tab-separated:
//   SCENARIO METHOD ARG...   where an ARG is "s:TEXT" or "n:NUMBER".
// Prints, tab-separated, characters outside printable ASCII as \uXXXX:
//   start SCENARIO TIME      local time, YYYY-MM-DDTHH:MM:SS, before its first call
//   call SCENARIO RESULT     one line a call
//   end SCENARIO TIME        after its last call
var fso = new ActiveXObject("Scripting.FileSystemObject");

function escaped(s) {
  return String(s).replace(/[^\x20-\x7e]|\\/g, function (ch) {
    return "\\u" + ("000" + ch.charCodeAt(0).toString(16)).slice(-4);
  });
}
function two(n) { return (n < 10 ? "0" : "") + n; }
function now() {
  var d = new Date();
  return d.getFullYear() + "-" + two(d.getMonth() + 1) + "-" + two(d.getDate()) + "T" +
         two(d.getHours()) + ":" + two(d.getMinutes()) + ":" + two(d.getSeconds());
}
function argument(field) {
  return field.charAt(0) === "n" ? Number(field.substring(2)) : field.substring(2);
}
function call(c, method, a) {
  try {
    switch (a.length) {
      case 1: return c[method](a[0]);
      case 2: return c[method](a[0], a[1]);
      case 4: return c[method](a[0], a[1], a[2], a[3]);
    }
    return "error: " + a.length + " arguments";
  } catch (e) {
    return "error: " + (e.number >>> 0).toString(16) + " " + e.description;
  }
}

var input = fso.OpenTextFile(WScript.Arguments(0), 1, false, -1);
var scenario = null, c = null;
while (!input.AtEndOfStream) {
  var fields = input.ReadLine().split("\t");
  if (fields[0] !== scenario) {
    if (scenario !== null) WScript.Echo("end\t" + scenario + "\t" + now());
    scenario = fields[0];
    c = new ActiveXObject("TORVEX.Controlador");
    WScript.Echo("start\t" + scenario + "\t" + now());
  }
  var a = [];
  for (var i = 2; i < fields.length; i++) a.push(argument(fields[i]));
  WScript.Echo("call\t" + scenario + "\t" + escaped(call(c, fields[1], a)));
}
if (scenario !== null) WScript.Echo("end\t" + scenario + "\t" + now());
