// SPDX-License-Identifier: MIT
#pragma once

#include "PopupModel.h"
#include "PopupView.h"
#include "WrappingText.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// A popup view in a frameless window on the test display, with every
// callback recorded.
class PopupViewFixture : public ::testing::Test {
protected:
    PopupModel model;
    int played = 0;
    int toggled = 0;
    QStringList copied;
    QStringList replaced;
    QStringList inputs;
    std::unique_ptr<QWidget> window;
    PopupView* view = nullptr;

    void SetUp() override
    {
        window = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        view = new PopupView(
            &model, [this] { ++played; }, [this](const QString& text) { copied << text; },
            [this](const QString& text) { replaced << text; },
            [this](const QString& text) { inputs << text; }, [this] { ++toggled; });
        view->hostIn(window.get(), false);
    }

    void TearDown() override
    {
        window.reset();
        QCursor::setPos(0, 0);
    }

    // Sizes the window to the view and shows it, as the panel will.
    void showWindow()
    {
        window->resize(view->fittingSize());
        window->move(100, 100);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void fit()
    {
        window->resize(view->fittingSize());
        QCoreApplication::processEvents();
    }

    template <typename T = QWidget> T* child(const char* name) const
    {
        return view->findChild<T*>(QString::fromLatin1(name));
    }

    bool shown(const char* name) const
    {
        const QWidget* widget = child(name);
        return widget && widget->isVisibleTo(view);
    }

    QString text(const char* name) const
    {
        if (auto* block = child<WrappingText>(name))
            return block->toPlainText();
        if (auto* label = child<QLabel>(name))
            return label->text();
        ADD_FAILURE() << "no text named " << name;
        return {};
    }

    void openQuickTranslate()
    {
        model.reset(QString(), PopupMode::quickTranslate, false);
        model.setIsLoading(false);
        model.setQuickTarget(QStringLiteral("en"));
        model.setFocusToken(model.focusToken() + 1);
    }

public:
    static DictionaryEntry fullEntry()
    {
        return { QStringLiteral("run"), QStringLiteral("uk"), QStringLiteral("rʌn"),
            QStringLiteral("to move fast on foot"), QStringLiteral("https://audio.example/run.mp3"),
            QStringLiteral("https://dictionary.example/run") };
    }

    static TranslationResult translationOf(const QString& text, const QString& translated)
    {
        return { text, translated, QStringLiteral("en"), QStringLiteral("ru") };
    }
};
