// History files (items only), as the history load and the history append read them.
#include "model/ListFile.h"

#include "FuzzUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes = fuzzInput(data, size);
    ToDoList list;
    if (!ParseList(bytes, false, list, QStringLiteral("fuzz.tdh")))
        return 0;
    FUZZ_CHECK(list.OwnerNames.isEmpty() && list.ProjectNames.isEmpty());
    const QByteArray written = SerializeList(list, false);
    ToDoList again;
    FUZZ_CHECK(ParseList(written, false, again, QStringLiteral("again.tdh")).ok);
    FUZZ_CHECK(again.items == list.items);
    return 0;
}
