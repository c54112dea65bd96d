// `torvex METHOD ARG...`: the seven interface methods called from the command
// line. How a call reaches the component is a MethodCaller: the direct one
// calls the interface table's functions; another mode (late binding through
// the registered server) supplies its own and reuses the parsing and printing
// here through chamaMetodo.
#pragma once

#include <span>
#include <vector>

#include "cli/bstr.h"

namespace torvex::cli {

enum class Tipo { Texto, Numero };  // BSTR or long

struct Parametro {
  const char* nome;
  Tipo tipo;
};

struct Metodo {
  const char* nome;
  std::vector<Parametro> parametros;
  Tipo resultado;
  const char* descricao;  // for --help
};

// The seven methods in interface order.
std::span<const Metodo> metodos();
const Metodo* procuraMetodo(const char* nome);
const Metodo* procuraMetodoSemCaixa(const char* nome);  // letter case ignored

// One argument or result: `texto` for Tipo::Texto (null is the null string),
// `numero` for Tipo::Numero.
struct Valor {
  Bstr texto;
  LONG numero = 0;
};

class MethodCaller {
 public:
  virtual ~MethodCaller() = default;
  // The method a typed name calls, null when none; exact by default.
  virtual const Metodo* procura(const char* nome) { return procuraMetodo(nome); }
  // Calls `metodo` with one Valor per parameter, of the parameter's type, and
  // fills `resultado` by the method's result type. False when the call could
  // not be made at all; the caller has printed why on stderr.
  virtual bool chama(const Metodo& metodo, std::span<Valor> argumentos, Valor& resultado) = 0;
};

// Calls Controlador's functions in this process; needs no registration.
class ChamadorDireto : public MethodCaller {
 public:
  bool chama(const Metodo& metodo, std::span<Valor> argumentos, Valor& resultado) override;
};

// args[0] is the method name, the rest its arguments as typed (UTF-8, longs
// in decimal). Prints the result and returns the exit status: 0 after a call,
// 1 when the caller could not make it, 2 for a usage error.
int chamaMetodo(MethodCaller& chamador, std::span<char* const> args);

}  // namespace torvex::cli
