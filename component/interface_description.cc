#include "component/interface_description.h"

namespace torvex {

// Chosen once; they never change, or every installed host loses the class.
const GUID kLibidTorvexLib = {
    0x245E7615, 0x0687, 0x47F9, {0xB7, 0x8B, 0xE4, 0x12, 0x5C, 0x73, 0x22, 0x15}};
const CLSID kClsidControlador = {
    0x1E7EDBF8, 0x0218, 0x45BC, {0x98, 0x1C, 0xD5, 0x59, 0x9E, 0xF3, 0xBA, 0x47}};
const IID kIidIControlador = {
    0xD4D27FE2, 0xC038, 0x4B00, {0x84, 0x0F, 0x57, 0x89, 0x3B, 0x96, 0x28, 0xA7}};

namespace {

constexpr ParamDescription kPathRaiz[] = {{"bstrPathRaiz", VT_BSTR}};
constexpr ParamDescription kPathRaizIndice[] = {{"bstrPathRaiz", VT_BSTR}, {"lIndice", VT_I4}};
constexpr ParamDescription kNomeArquivo[] = {{"bstrNomeArquivo", VT_BSTR}};
constexpr ParamDescription kGeraArquivoUpload[] = {
    {"bstrPathRaiz", VT_BSTR}, {"bstrFI", VT_BSTR}, {"bstrFIRename", VT_BSTR}, {"lIndice", VT_I4}};

constexpr FunctionDescription kMetodos[] = {
    {0x60020000, "criaInfraEstrutura", "Cria infra-estrutura de diretorios na maquina do cliente",
     VT_I4, kPathRaiz},
    {0x60020001, "recuperaArquivoUpload", "Varre diretorio outtraywork procurando arquivos .ARJ",
     VT_BSTR, kPathRaizIndice},
    {0x60020002, "existeArquivo", "Verifica se determinado arquivo existe", VT_I4, kNomeArquivo},
    {0x60020003, "deletaArquivo", "Deleta um arquivo especificado", VT_I4, kNomeArquivo},
    {0x60020004, "geraArquivoUpload",
     "Recebe FI , trata macro, procura arquivo que satisfaz FI, compacta arquivo utilizando "
     "nomenclatura (F?_nomearquivo_extensaoarquivo.ARJ), gera arquivo .DAT com informacoes de "
     "nome do arquivo com path_completo e data do arquivo",
     VT_I4, kGeraArquivoUpload},
    {0x60020005, "recuperaControleDownload", "Verifica se existe arquivo de controle de download",
     VT_BSTR, kPathRaiz},
    {0x60020006, "disponibilizaArquivos", "Faz a disponibilizacao dos arquivos recebidos", VT_I4,
     kPathRaiz},
};

}  // namespace

const TypeLibDescription kTorvexTypeLib = {
    kLibidTorvexLib,   "TORVEXLib",        "TORVEX 1.0 Type Library", kTorvexLibMajor,
    kTorvexLibMinor,   kClsidControlador,  "Controlador",             "Controlador Class",
    kIidIControlador,  "IControlador",     "IControlador Interface",  kMetodos,
};

}  // namespace torvex
