// A look file, as a user might hand the program any file: read whole or
// refused, and a look that was read comes back the same when written again.
#include "lookfile.h"
#include "invariant.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), int(size));
    LookFile::Contents contents;
    contents.unit = QStringLiteral("untouched");
    QString error;
    if (!LookFile::read(file, contents, error)) {
        check(!error.isEmpty(), "a refused file says why");
        check(contents.unit == QLatin1String("untouched"), "a refused file changes nothing");
        return 0;
    }
    for (int slot : ParameterCatalogue::passOrder()) {
        const int value = contents.look.values[std::size_t(slot)];
        check(value >= ParameterCatalogue::slot(slot).minimum && value <= ParameterCatalogue::slot(slot).maximum,
              "every value read is one the units take");
    }
    const QByteArray written = LookFile::write(contents);
    LookFile::Contents again;
    check(LookFile::read(written, again, error), "a look written can be read");
    check(again.look == contents.look && again.unit == contents.unit && again.channel == contents.channel,
          "a look comes back as it was written");
    check(LookFile::write(again) == written, "writing it again gives the same bytes");
    return 0;
}
