// `torvex --dispatch METHOD ARG...`: the call a late-bound host makes. The
// object comes from the registered server (ProgID, class key, library,
// class factory) and the method is reached through GetIDsOfNames and
// Invoke; parsing and printing are those of the direct mode.
#include <cstdio>
#include <vector>

#include "cli/methods.h"
#include "cli/subcommands.h"

namespace torvex::cli {

namespace {

class ChamadorTardio : public MethodCaller {
 public:
  ChamadorTardio() { CoInitialize(nullptr); }
  ~ChamadorTardio() override { CoUninitialize(); }

  bool chama(const Metodo& metodo, std::span<Valor> argumentos, Valor& resultado) override {
    IDispatch* objeto = nullptr;
    HRESULT hr = cria(&objeto);
    if (FAILED(hr)) return falha("cannot create TORVEX.Controlador", hr);
    hr = invoca(objeto, metodo, argumentos, resultado);
    objeto->Release();
    return SUCCEEDED(hr) || falha(metodo.nome, hr);
  }

 private:
  static bool falha(const char* oque, HRESULT hr) {
    std::fprintf(stderr, "torvex: %s: 0x%08X\n", oque, static_cast<unsigned>(hr));
    return false;
  }

  static HRESULT cria(IDispatch** objeto) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(OLESTR("TORVEX.Controlador"), &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(objeto));
  }

  static HRESULT invoca(IDispatch* objeto, const Metodo& metodo, std::span<Valor> argumentos,
                        Valor& resultado) {
    Bstr nome = bstrDeUtf8(metodo.nome);
    LPOLESTR nomes[] = {nome.get()};
    DISPID id = 0;
    HRESULT hr = objeto->GetIDsOfNames(IID_NULL, nomes, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
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
    hr = objeto->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parametros, &retorno,
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
