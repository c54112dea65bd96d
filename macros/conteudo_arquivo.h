// The file-content macro "&@path@": the first line of a text file.
#pragma once

namespace torvex {

// `inicio` points at the first "&@" in the NUL-terminated name `nome`, a
// 256-byte buffer. Replaces "&@", the path and the closing "@" by the file's
// first line (at most 79 characters, line end dropped).
// The name stays as it is when the file cannot be read, and also when the
// closing "@" is missing or the path passes 149 characters, since no file can
// be named then. When the new name would pass 151 characters it is emptied:
// a cut name would be a wrong path.
void insereConteudoArquivo(char* nome, char* inicio);

}  // namespace torvex
