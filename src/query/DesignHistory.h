#pragma once
// The undo history of a design: snapshots taken after each completed edit.
// Snapshots share their texts, so a step costs little beyond what changed;
// the history keeps at most a number of steps and an estimated size, and
// forgets its oldest steps first.

#include "query/QueryDesign.h"

#include <QList>

namespace quillary {

class TDesignHistory {
public:
    explicit TDesignHistory(int maxSteps = 200, qsizetype maxBytes = 256 * 1024 * 1024);

    // Starts afresh with `design` as the only state.
    void Reset(const QueryDesign& design);
    bool IsEmpty() const { return m_states.isEmpty(); }

    // Takes `design` as the state after an edit. Nothing happens when it
    // equals the current state; a state that differs from the current one
    // only in what the designer derives itself (both give the same display
    // list once it is merged with the ticks, and the same computed columns
    // offered for sorting) replaces the current state instead of adding a
    // step. True when a step was added.
    bool Record(const QueryDesign& design);

    bool CanUndo() const { return m_current > 0; }
    bool CanRedo() const { return m_current + 1 < m_states.size(); }
    // The state to go back or forth to; call only when possible.
    const QueryDesign& Undo();
    const QueryDesign& Redo();
    const QueryDesign& Current() const { return m_states[m_current]; }

    int Steps() const { return int(m_states.size()); }

    // A rough size of the texts of a design, for the memory bound.
    static qsizetype EstimateBytes(const QueryDesign& design);

private:
    void Trim();

    int m_maxSteps;
    qsizetype m_maxBytes;
    QList<QueryDesign> m_states;
    QList<qsizetype> m_bytes;
    qsizetype m_totalBytes = 0;
    int m_current = -1;
};

} // namespace quillary
