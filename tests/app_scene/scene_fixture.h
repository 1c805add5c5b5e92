#pragma once
// A run folder of the test's own: a temporary current directory whose Models/ holds links to
// the generated files the test keeps, with a settings file and marker files as the test
// writes them. Messages are recorded by a scripted dialog instead of going to standard error.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/messages.h"
#include "tests/support/gl_context.h"

struct ShownMessage {
    std::string text;
    int category;
    bool operator==(const ShownMessage&) const = default;
};

// Plays the user: records each message and, when told to, ticks "Don't display this error".
class RecordingDialog final : public MessageDialog {
  public:
    std::vector<ShownMessage> shown;
    bool tickDontDisplay = false;
    void RunModal(CMessage& message) override {
        shown.push_back({message.Text(), message.Category()});
        if (tickDontDisplay && message.DontDisplayEnabled()) message.OnDontDisplay(true);
    }
};

class SceneFixture : public GlFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Links Models/<name> to the generated file, under the given name.
    void LinkModel(const std::string& name, const std::string& generatedName);
    // Every generated model file and texture, less the ones named.
    void LinkAllModelsExcept(const std::vector<std::string>& leftOut);
    void WriteFile(const std::string& name, const std::string& text);
    std::string ReadFile(const std::string& name) const;

    RecordingDialog m_dialog;
    std::vector<int> m_quitStatuses;  // what each shut-down handed to the quit handler

  private:
    std::filesystem::path m_generated;  // the build's run folder
    std::filesystem::path m_folder;
    std::optional<std::string> m_savedMode;
};
