// Targets shared by the number-like source families.
#include "types/result_convert_number.h"

#include "types/number_format.h"

namespace resultconv {

sword NumberToChars(const NumberSource &src, const Call &c, CharLayout layout) {
    sword status;
    if (!Start(c, EmptyText::IsNull, &status)) return status;
    Text text;
    status = src.text(c, &text);
    if (status != OCI_SUCCESS) return status;
    return DeliverChars(c, layout, text.data(), text.size());
}

sword NumberToInteger(const NumberSource &src, const Call &c, bool isUnsigned) {
    sword status;
    if (!Start(c, EmptyText::IsNull, &status)) return status;
    int64_t v = 0;
    double real = 0;
    bool isReal = false;
    status = src.integer(c, &v, &real, &isReal);
    if (status != OCI_SUCCESS) return status;
    return isReal ? StoreIntegerFromReal(c, real, isUnsigned, src.overflowError)
                  : StoreInteger(c, v, isUnsigned, src.overflowError);
}

sword NumberToReal(const NumberSource &src, const Call &c, RealLayout layout) {
    sword status;
    if (!Start(c, EmptyText::IsNull, &status)) return status;
    double v = 0;
    status = src.real(c, &v);
    if (status != OCI_SUCCESS) return status;
    return StoreReal(c, layout, v);
}

sword NumberToNUMBER(const NumberSource &src, const Call &c) {
    sword status;
    if (!Start(c, EmptyText::IsNull, &status)) return status;
    if (Capacity(c) < kNumberSize) return Fail(c, kErrTruncated);
    ub1 varnum[kVarnumSize];
    status = src.varnum(c, varnum);
    if (status != OCI_SUCCESS) return status;
    return StoreNumber(c, varnum);
}

sword NumberToVARNUM(const NumberSource &src, const Call &c) {
    sword status;
    if (!Start(c, EmptyText::IsNull, &status)) return status;
    if (Capacity(c) < 2) return Fail(c, kErrBadVarLength);
    ub1 varnum[kVarnumSize];
    status = src.varnum(c, varnum);
    if (status != OCI_SUCCESS) return status;
    return StoreVarnum(c, varnum);
}

}  // namespace resultconv
