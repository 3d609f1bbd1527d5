#pragma once
#include <QIcon>
#include <QPixmap>

// The program's built-in pictures, drawn at run time so they scale to any screen.
namespace Tabrix::Pictures {

enum class Tool { New, Cancel, Save, Print, Prior, Next, Open, Cut, Copy, Paste, Field, Char, Listen };

QIcon toolIcon(Tool tool);
QPixmap header(QSize size = {600, 40}); // the black header band, drawn at that size
QPixmap banner();  // the banner under the test list
QPixmap program(); // the program's own picture
QPixmap face(bool laughing); // 32 x 32: waiting (smiling) or a sender connected (laughing)

} // namespace Tabrix::Pictures
