// The sequence macros "&SEQ", "&SQ1" and "&SQ2": the first number for which
// the whole name does not exist yet.
#pragma once

namespace torvex {

// True when `caminho` is non-empty and names an existing file or directory.
bool caminhoExiste(const char* caminho);

// In the NUL-terminated name `nome`, replaces the first `maiuscula` (or,
// only when there is none, the first `minuscula`) by the first of 0, 1, ...
// written with `digitos` digits for which the name does not exist; the
// largest number when all exist. When the macro occurs, the whole name is
// normalised with normalizaPath; otherwise nothing changes. The name only
// gets shorter, so it stays within its buffer.
void resolveSequencia(char* nome, const char* maiuscula, const char* minuscula, int digitos);

}  // namespace torvex
