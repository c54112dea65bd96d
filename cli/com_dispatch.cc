// `torvex --dispatch METHOD ARG...`: the call a late-bound host makes. The
// object comes from the registered server (ProgID, class key, library,
// class factory) and the method is reached through GetIDsOfNames and
// Invoke; parsing and printing are those of the direct mode.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/metodos.h"
#include "cli/subcomandos.h"

namespace torvex::cli {

namespace {

class ChamadorTardio : public MethodCaller {
 public:
  ChamadorTardio() { CoInitialize(nullptr); }
  ~ChamadorTardio() override { CoUninitialize(); }

  // The name goes to GetIDsOfNames as typed, so whatever letter case the
  // type information accepts works, as with a script host; the table, read
  // without regard to case, only says how to read the arguments.
  const Metodo* procura(const char* nome) override {
    nomeDigitado_ = nome;
    return procuraMetodoSemCaixa(nome);
  }

  bool chama(const Metodo& metodo, std::span<Valor> argumentos, Valor& resultado) override {
    IDispatch* objeto = nullptr;
    HRESULT hr = cria(&objeto);
    if (FAILED(hr)) return falha("cannot create TORVEX.Controlador", hr);
    Bstr nome = bstrDeUtf8(nomeDigitado_.c_str());
    LPOLESTR nomes[] = {nome.get()};
    DISPID id = 0;
    hr = objeto->GetIDsOfNames(IID_NULL, nomes, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
      objeto->Release();
      return falha(("GetIDsOfNames does not know " + nomeDigitado_).c_str(), hr);
    }
    hr = invoca(objeto, id, metodo, argumentos, resultado);
    objeto->Release();
    return SUCCEEDED(hr) || falha(nomeDigitado_.c_str(), hr);
  }

 private:
  static bool falha(const char* oque, HRESULT hr) {
    std::fprintf(stderr, "torvex: %s: 0x%08X\n", oque, static_cast<unsigned>(hr));
    return false;
  }

  std::string nomeDigitado_;

  static HRESULT cria(IDispatch** objeto) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(OLESTR("TORVEX.Controlador"), &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(objeto));
  }

  static HRESULT invoca(IDispatch* objeto, DISPID id, const Metodo& metodo,
                        std::span<Valor> argumentos, Valor& resultado) {
    // DISPPARAMS holds the last argument first. The BSTRs stay owned by `argumentos`.
    std::vector<VARIANT> variantes(argumentos.size());
    for (size_t i = 0; i < argumentos.size(); ++i) {
      VARIANT& v = variantes[argumentos.size() - 1 - i];
      VariantInit(&v);
      if (metodo.parametros[i].tipo == Tipo::Texto) {
        v.vt = VT_BSTR;
        v.bstrVal = argumentos[i].texto.get();
      } else {
        v.vt = VT_I4;
        v.lVal = argumentos[i].numero;
      }
    }
    DISPPARAMS parametros = {variantes.data(), nullptr, static_cast<UINT>(variantes.size()), 0};
    VARIANT retorno;
    VariantInit(&retorno);
    HRESULT hr = objeto->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parametros, &retorno,
                        nullptr, nullptr);
    if (FAILED(hr)) return hr;
    if (retorno.vt == VT_BSTR) {
      resultado.texto.reset(retorno.bstrVal);  // ownership passes to the result
    } else {
      resultado.numero = retorno.lVal;
      VariantClear(&retorno);
    }
    return S_OK;
  }
};

}  // namespace

int executaDispatch(std::span<char* const> args) {
  ChamadorTardio tardio;
  return chamaMetodo(tardio, args);
}

}  // namespace torvex::cli
