// The directory search of an upload: which entries of the FI directory are
// candidates for packing, in the order the search returns them.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace torvex {

// The names a search found, in its order, one after another in a single
// buffer: a listing of a hundred thousand files costs little more than
// their names.
class NomesEncontrados {
 public:
  void adiciona(std::string_view nome) { nomes_.append(nome).push_back('\0'); }
  void encerra() { nomes_.shrink_to_fit(); }

  class Iterador {
   public:
    explicit Iterador(const char* p) : p_(p) {}
    const char* operator*() const { return p_; }
    Iterador& operator++() {
      p_ += std::strlen(p_) + 1;
      return *this;
    }
    bool operator==(const Iterador&) const = default;

   private:
    const char* p_;
  };
  Iterador begin() const { return Iterador(nomes_.data()); }
  Iterador end() const { return Iterador(nomes_.data() + nomes_.size()); }

 private:
  std::string nomes_;  // each name as stored, never normalised, ended by a zero byte
};

// The name-length filter of a search pattern: with "?" and no "*", the length
// of the text after the last "/" (a "?" may match nothing at the end of a name
// or before a "."); otherwise 0, no filter.
size_t filtroTamanho(const char* padrao);

// The name of every entry matching `padrao`, in the search's order, that is
// neither "." nor ".." nor a directory and, when `filtro` is not 0, whose
// name is that long. Empty when the search finds nothing or cannot run.
NomesEncontrados procuraArquivo(const char* padrao, size_t filtro);

}  // namespace torvex
