// The names an upload builds: the FI directory, the archive and record names
// from a found file, and a packed file's rename target. Pure text work.
#pragma once

#include <string>
#include <string_view>

#include "conventions/conventions.h"
#include "com/com.h"

namespace torvex {

// 0 and the text before the last "/" of `caminho`; -1 when it holds no "/"
// or the text would not fit (then `diretorio` is untouched).
int extraiDiretorio(const char* caminho, char (&diretorio)[kTamanhoCaminho]);

// Lower-cases `nome` in place (ASCII letters only), replaces the last "." of
// a copy by "_" and forms "F%d_%s.ARJ" and "F%d_%s.DAT" from that stem.
// False when a name would not fit.
bool montaNomesUpload(char* nome, LONG lIndice, char (&arquivo)[kTamanhoCaminho],
                      char (&controle)[kTamanhoCaminho]);

// The rename target, before macro expansion, of the found name `nome` (already
// lower-cased) in the FI directory `diretorioFI`; `expressao` is normalised in
// place. A base or extension written with "*" or "?" takes the found name's
// part. False when a part would not fit its buffer.
bool montaNomeDestino(const char* diretorioFI, const char* nome, char* expressao,
                      char (&destino)[kTamanhoCaminho]);

// A file's path as the file system tells files apart: the directory part
// resolved as the file system does (separators of either kind, "." and "..",
// letters folded), the file's name as stored. Names come from directory
// listings, so one file always shows the same spelling, while two files whose
// names differ only in letter case (where the file system keeps both) stay
// apart. Two paths with the same key name the same file.
std::string chaveCaminho(std::string_view caminho);

}  // namespace torvex
