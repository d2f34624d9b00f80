// SPDX-License-Identifier: MIT
// SavedLayoutMatching.h: which live window takes the place of each window of a saved layout.
// Three passes over the saved keys in text order, each live window taken at most once and the
// earlier window in the list first: the same key, then the same application and title, then
// the same application. Pure: the coordinator hands in the live windows it may use.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "Arvelo/State/SavedView.h"

namespace arvelo::SavedLayoutMatching {

// A live window as the matching sees it.
struct LiveWindow {
    std::string key;
    std::string identity;     // application identity, "|", title, in stored form (StoredText.h)
    std::string application;  // application identity, in stored form
};

// The application part of a saved identity: its first non-empty piece before a "|" (empty
// when there is none).
std::string applicationOf(const std::string& identity);

// Saved key to live key for every saved window that found one.
std::map<std::string, std::string> match(const SavedView& view, const std::vector<LiveWindow>& windows);

}  // namespace arvelo::SavedLayoutMatching
