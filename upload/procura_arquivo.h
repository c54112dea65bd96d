// The directory search of an upload: which entries of the FI directory are
// candidates for packing, in the order the search returns them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvex {

struct ArquivoEncontrado {
  std::string nome;  // the entry's name as stored, never normalised
  int64_t ultimaGravacao = 0;  // last-write time, seconds since 1970 UTC
  uint64_t tamanho = 0;
};

// The name-length filter of a search pattern: with "?" and no "*", the length
// of the text after the last "/" (a "?" may match nothing at the end of a name
// or before a "."); otherwise 0, no filter.
size_t filtroTamanho(const char* padrao);

// Every entry matching `padrao`, in the search's order, that is neither "."
// nor ".." nor a directory and, when `filtro` is not 0, whose name is that
// long. Empty when the search finds nothing or cannot run.
std::vector<ArquivoEncontrado> procuraArquivo(const char* padrao, size_t filtro);

}  // namespace torvex
