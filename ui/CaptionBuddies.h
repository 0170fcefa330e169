#pragma once
// Screen readers name a field after the label that is its buddy. The tool
// windows place their captions by position only ("Testo" just above its
// box, "Attivo" just right of its check box): this pairs each caption with
// the control nearest to it, so that the control is read with its caption.
class QWidget;

// Pairs the captions among area's direct children with their controls: a
// control at most a few pixels from a caption, not yet named or captioned.
void pairCaptionsWithControls(QWidget* area);
