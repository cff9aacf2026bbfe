// Catalogue loading on any bytes: the bytes become vindrel.txt in a temporary
// program folder, ChargerCatalogue loads it, and the loaded state must keep
// its bounds: 1 <= Max <= 60, one list item per entry, nothing past Max, the
// file closed again.
#include "catalogue/catalogue.h"
#include "support/fake_platform.h"

#include <QDir>

#include <cstdint>
#include <cstdlib>

using namespace vindrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static test::FakePlatform platform;
    const QString path = QDir(platform.AppPath()).filePath(QStringLiteral("vindrel.txt"));
    test::WriteBytes(path, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

    test::FakeControls form;
    WorkingState state;
    ChargerCatalogue(platform, form, state);

    if (state.Max < 1 || state.Max > kCatalogueCapacity) std::abort();
    if (form.nomItems.size() != state.Max) std::abort();
    for (int k = 1; k <= state.Max; ++k)
        if (form.nomItems[k - 1] != state.nomsys[k]) std::abort();
    for (int k = state.Max + 1; k <= kCatalogueCapacity; ++k)
        if (!state.nomsys[k].isEmpty() || !state.compo1[k].isEmpty() || !state.compo2[k].isEmpty())
            std::abort();
    if (!state.nomsys[0].isEmpty()) std::abort();
    if (platform.Files().IsOpen(1)) std::abort();
    if (!platform.messages.empty()) std::abort(); // loading never shows a message
    return 0;
}
