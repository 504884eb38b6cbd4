#include "gui/slideshow/slideshow_commands.h"

#include "gui/app/settings_store.h"
#include "gui/app/window_context.h"

#include <QAction>

namespace gui {

namespace cs = core::slideshow;

void SlideshowCommands::mnuSlideEffectsClick(bool forShow) {
    catalogue_ = cs::BuildEffectCatalogue();
    built_ = true;
    // The show tests this mark before it builds the table itself.
    if (QAction* run = ctx_.menus.action("mnuHistorySlideshow")) run->setData(1);
    if (forShow) return;

    const QByteArray stored = ReadBinaryValue("selFX01");
    cs::MarkSelection(
        catalogue_.table,
        cs::DecodeSelection({reinterpret_cast<const std::uint8_t*>(stored.constData()),
                             static_cast<std::size_t>(stored.size())}));
    ListAsk ask;
    for (const std::string& name : catalogue_.names)
        ask.texts << QString::fromStdString(name);
    ask.title = QString("Select from %1 Transitions Effects").arg(ask.texts.size() - 1);
    ask.help = [this](int context) { ctx_.OpenHelp(context); };
    if (ctx_.prompter.List(ask, catalogue_.table) != 0) return;

    const cs::SelectionBytes bytes = cs::EncodeSelection(catalogue_.table);
    WriteBinaryValue("selFX01", QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                           static_cast<qsizetype>(bytes.size())));
}

} // namespace gui
