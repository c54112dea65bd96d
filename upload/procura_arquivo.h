// The directory search of an upload: which entries of the FI directory are
// candidates for packing, in the order the search returns them, handed out
// as the search reaches them, so that a folder of a hundred thousand files
// is never held whole.
#pragma once

#include <cstddef>

#include "platform/file.h"

namespace torvex {

// The name-length filter of a search pattern: with "?" and no "*", the length
// of the text after the last "/" (a "?" may match nothing at the end of a name
// or before a "."); otherwise 0, no filter.
size_t filtroTamanho(const char* padrao);

class ProcuraArquivo {
 public:
  ProcuraArquivo(const char* padrao, size_t filtro) : busca_(padrao), filtro_(filtro) {}

  // The next entry matching the pattern that is neither "." nor ".." nor a
  // directory and, when the filter is not 0, whose name is that long; null
  // past the last, or when the search finds nothing or cannot run. The name
  // stays valid until the next call.
  const char* proximo();

 private:
  DirSearch busca_;
  size_t filtro_;
  bool primeiro_ = true;  // the search's first entry is not yet handed out
};

}  // namespace torvex
