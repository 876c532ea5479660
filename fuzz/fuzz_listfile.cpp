// Full list files: the reader takes any bytes without a crash, and a list it read writes back to the same
// bytes and reads again to the same list.
#include "model/ListFile.h"

#include "FuzzUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes = fuzzInput(data, size);
    ToDoList list;
    if (!ParseList(bytes, true, list, QStringLiteral("fuzz.tdo")))
        return 0;
    const QByteArray written = SerializeList(list, true);
    ToDoList again;
    FUZZ_CHECK(ParseList(written, true, again, QStringLiteral("again.tdo")).ok);
    FUZZ_CHECK(again.items == list.items && again.OwnerNames == list.OwnerNames &&
               again.ProjectNames == list.ProjectNames);
    FUZZ_CHECK(SerializeList(again, true) == written);
    return 0;
}
