#include "TextConverter/ppdStringConvert.h"

#include <cstring>
#include <memory>
#include <new>

#include "TextConverter/DehexBufferFill.h"

int32_t convertText(TextConversion& context, const char* in, size_t length, std::string& out,
                    size_t initialSize) {
  const size_t step = initialSize < kConvertMinimumOutput ? kConvertMinimumOutput : initialSize;
  out.assign(step, '\0');
  size_t used = 0;
  const char* src = in;
  size_t srcLeft = length;
  context.Reset();
  int32_t status = kTECNoError;
  // The output grows only while the converter makes progress, so a converter
  // that never settles cannot make this loop forever.
  for (bool flushing = false;;) {
    char* dst = out.data() + used;
    size_t dstLeft = out.size() - used;
    const size_t before = srcLeft;
    status = flushing ? context.Flush(dst, dstLeft) : context.Convert(src, srcLeft, dst, dstLeft);
    const size_t wrote = static_cast<size_t>(dst - (out.data() + used));
    used += wrote;
    if (status == kTECOutputBufferFullStatus || status == kTECBufferBelowMinimumSizeErr) {
      if (wrote == 0 && before == srcLeft && out.size() - used >= 4 * step) break;
      out.resize(out.size() + step);
      continue;
    }
    if (status != kTECNoError) break;
    if (flushing) break;
    flushing = true;
  }
  out.resize(used);
  return status;
}

int32_t ppdStringConvert(TextConversion* context, const char* text, std::string& out,
                         size_t& length) {
  out.clear();
  if (text == nullptr || *text == '\0') {
    length = 0;
    return kPPDStringEmpty;
  }
  const size_t textLength = std::strlen(text);
  if (context == nullptr) {
    out.assign(text, textLength);
    length = textLength;
    return kTECNoError;
  }
  std::unique_ptr<char[]> decoded(new (std::nothrow) char[textLength + 1]);
  if (!decoded) {
    length = 0;
    return kMemFullErr;
  }
  size_t total = DehexBufferFill(text, decoded.get());  // totalLength <= (inTextLen + 1)
  if ((context->To() == kTextEncodingShiftJIS) && (total % 2 != 0)) --total;
  int32_t status = convertText(*context, decoded.get(), total, out, length);
  length = out.size();
  return status;
}
