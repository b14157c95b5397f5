#include "preview/phonefitscript.h"

#include <QVariantList>

namespace PhoneFitScript {

QString script()
{
    // The outermost element reaching furthest is the one to name: its children end where it
    // does. A page of a great many elements is looked through only so far.
    return QStringLiteral(R"((function () {
  var root = document.documentElement;
  var body = document.body;
  var inner = window.innerWidth, client = root.clientWidth;
  var wide = Math.max(root.scrollWidth, body ? body.scrollWidth : 0);
  var widest = null, edge = client;
  if (wide > client && body) {
    var all = body.getElementsByTagName('*');
    for (var i = 0; i < all.length && i < 20000; ++i) {
      var box = all[i].getBoundingClientRect();
      var right = box.right + window.scrollX;
      if (box.width > 0 && right > edge + 0.5) { edge = right; widest = all[i]; }
    }
  }
  var named = '';
  if (widest) {
    var tag = widest.tagName.toLowerCase();
    var names = ['src', 'id', 'class'];
    named = '<' + tag + '>';
    for (var n = 0; n < names.length; ++n) {
      var value = widest.getAttribute(names[n]);
      if (value) { named = '<' + tag + ' ' + names[n] + '="' + value.substring(0, 80) + '">'; break; }
    }
  }
  return [inner, client, wide, named];
})())");
}

std::optional<PhoneFit> read(const QVariant &answer)
{
    const QVariantList parts = answer.toList();
    if (parts.size() != 4)
        return std::nullopt;
    bool ok[3] = {};
    const int inner = parts.at(0).toInt(&ok[0]);
    const int client = parts.at(1).toInt(&ok[1]);
    const int wide = parts.at(2).toInt(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2] || inner <= 0 || client <= 0 || wide < 0)
        return std::nullopt;
    // A phone's scroll bar lies over the page; the preview's takes room of its own. Content that
    // only passes the room the bar leaves fits a phone.
    const int reach = wide > client ? wide : std::min(wide, inner);
    const QString widest = parts.at(3).toString();
    return PhoneFit{inner, reach, widest.isEmpty() ? QStringLiteral("<body>") : widest};
}

} // namespace PhoneFitScript
