// The front end every method shares: a BSTR argument becomes 8-bit text in the
// ANSI code page, held in one 256-byte buffer; an 8-bit result becomes a BSTR
// through the same code page. (The contract made results with the OEM code
// page, so an accented name came back as another name, which the host could
// not pass back to reach the file; both ways now use one code page, and
// neither accepts a lossy conversion.)
#pragma once

#include "conventions/conventions.h"
#include "com/com.h"

namespace torvex {

class Argumento {
 public:
  // A null BSTR counts as the empty text (nulo() still tells it apart).
  explicit Argumento(BSTR bstr);
  Argumento(const Argumento&) = delete;
  Argumento& operator=(const Argumento&) = delete;

  // False when the ANSI form needs more than 255 bytes or has no exact form
  // (a character the code page lacks): the text is then empty, never a cut
  // one nor a look-alike that names another file.
  bool valido() const { return valido_; }
  bool nulo() const { return nulo_; }
  const char* texto() const { return texto_; }

  // normalizaPath on the held text.
  Argumento& normalizado();

 private:
  char texto_[kTamanhoCaminho] = {};
  bool valido_ = true;
  bool nulo_ = false;
};

// The result string of the string methods, from the ANSI code page: exactly
// as many wide characters as the conversion yields, a null BSTR when it
// yields none. Owned by the caller.
BSTR resultadoAnsi(const char* texto);

}  // namespace torvex
