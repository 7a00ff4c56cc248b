// VARIANT forms of property values.
#include "standin/property_value.h"

namespace standin {

BSTR make_bstr(const std::wstring& text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

HRESULT to_variant(const PropertyValue& value, VARIANT* out) {
  VariantInit(out);
  if (const bool* b = std::get_if<bool>(&value)) {
    out->vt = VT_BOOL;
    out->boolVal = *b ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (const int* i = std::get_if<int>(&value)) {
    out->vt = VT_I4;
    out->lVal = *i;
  } else if (const double* d = std::get_if<double>(&value)) {
    out->vt = VT_R8;
    out->dblVal = *d;
  } else if (const std::wstring* s = std::get_if<std::wstring>(&value)) {
    out->bstrVal = make_bstr(*s);
    if (out->bstrVal == nullptr) return E_OUTOFMEMORY;
    out->vt = VT_BSTR;
  } else if (const RECT* r = std::get_if<RECT>(&value)) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, 4);
    if (array == nullptr) return E_OUTOFMEMORY;
    const double parts[4] = {static_cast<double>(r->left), static_cast<double>(r->top),
                             static_cast<double>(r->right - r->left),
                             static_cast<double>(r->bottom - r->top)};
    for (LONG i = 0; i < 4; ++i) SafeArrayPutElement(array, &i, const_cast<double*>(&parts[i]));
    out->vt = VT_R8 | VT_ARRAY;
    out->parray = array;
  }
  return S_OK;
}

}  // namespace standin
