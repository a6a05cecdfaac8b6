// SPDX-License-Identifier: MIT
#include "SelectionReader.h"

#include "X11SelectionReader.h"

#include <QTimer>

namespace {

class UnavailableSelectionReader final : public SelectionReader {
public:
    Holder holder(Selection) override { return Holder::nobody; }
    std::optional<QString> readTextNow(Selection) override { return std::nullopt; }
    void readText(Selection, TextHandler handler) override
    {
        QTimer::singleShot(0, [handler = std::move(handler)] { handler(std::nullopt); });
    }
    void readContents(Selection, ContentsHandler handler, std::function<void()>) override
    {
        QTimer::singleShot(0, [handler = std::move(handler)] { handler(std::nullopt); });
    }
};

} // namespace

std::unique_ptr<SelectionReader> SelectionReader::createForSession()
{
    if (auto reader = X11SelectionReader::open())
        return reader;
    return std::make_unique<UnavailableSelectionReader>();
}
