// TemplateGenerator: a MASTER's copies written out as text while the walk goes (see
// repeat_stamp.h). Each object's copy is the stamp's texts with its values and inner lists in the
// gaps; the copies of one MASTER become one raw markup before its REPEAT. What happens for each
// object, in order (bindings, values, inner lists, the page's size, progress, failures and their
// reports), is what the walk does for a copy built as nodes, so the page and its messages are
// the same either way.
#include <string_view>
#include <utility>

#include "commands/command_text.h"
#include "commands/field.h"
#include "commands/general_source.h"
#include "commands/replicator.h"
#include "foundation/text_helpers.h"
#include "generate/context_scope.h"
#include "generate/repeat_stamp.h"
#include "generate/table_copy_borders.h"
#include "generate/template_generator.h"
#include "generate/value_text.h"
#include "platform/dom/xml_encoding.h"
#include "platform/log.h"

namespace {

using platform::DomNode;

// The row before `node` when it is a "tr" element, else null.
DomNode RowAbove(const DomNode& node) {
  DomNode previous = node.previousSibling();
  while (previous && previous.nodeType() != platform::kDomElement) {
    previous = previous.previousSibling();
  }
  return previous && LowercaseCopy(previous.nodeName()) == "tr" ? previous : DomNode();
}

}  // namespace

bool TemplateGenerator::isPlainDisplay(const std::string& text) {
  QuireStatus status;
  const Field* field = fieldOf(text, status);
  return field != nullptr && writesPlainText(*field);
}

bool TemplateGenerator::isFlatRepeat(const std::string& text) {
  QuireStatus status;
  const Replicator* replicator = replicatorOf(text, status);
  return replicator != nullptr && replicator->parentVariable() != replicator->variableName();
}

TemplateGenerator::Stamped TemplateGenerator::stampCopies(QuireBindingList& context,
                                                          const DomNode& repeat,
                                                          const Replicator& replicator,
                                                          const QuireObjectList& objects,
                                                          std::uint64_t copyBytes, bool topLevel,
                                                          bool tableMode, QuireStatus& stepStatus) {
  if (!copiesAsText_ || !copiesAreClones() || objects.empty() || pageFormatting_ ||
      replicator.parentVariable() == replicator.variableName()) {
    return Stamped::kNotStamped;
  }
  const std::string repeatText = repeat.getAttribute(kCommandAttribute);
  const std::string refusal = (topLevel ? "T" : "N") + repeatText;
  if (unstamped_.count(refusal) > 0) return Stamped::kNotStamped;
  const StampCommands commands{[this](const std::string& text) { return isPlainDisplay(text); },
                               [this](const std::string& text) { return isFlatRepeat(text); }};
  // A table's copies differ in their bottom borders only: the last copy has the table's, the
  // ones before it the inner one. Two copies placed one after the other show both.
  const DomNode inner = repeat.cloneNode(true);
  const DomNode last = tableMode ? repeat.cloneNode(true) : inner;
  if (tableMode) {
    TableCopyBorders borders(repeat, RowAbove(repeat), false);
    borders.placed(inner);
    borders.placed(last);
  }
  const std::unique_ptr<RepeatStamp> innerStamp =
      MakeRepeatStamp(repeat, inner, commands, topLevel);
  std::unique_ptr<RepeatStamp> lastStamp;
  if (innerStamp && tableMode) lastStamp = MakeRepeatStamp(repeat, last, commands, topLevel);
  if (!innerStamp || (tableMode && !lastStamp)) {
    unstamped_.insert(refusal);
    return Stamped::kNotStamped;
  }

  // The markup shares the stamps' texts (not the stamps, whose nodes would keep the document).
  platform::RawMarkup markup;
  markup.keep(innerStamp->store);
  if (lastStamp) markup.keep(lastStamp->store);
  stampedClean_ = innerStamp->clean && (!lastStamp || lastStamp->clean);
  // A failure ends the page with the copies written before it, none in part.
  const auto place = [&](std::size_t parts) {
    markup.cutTo(parts);
    if (markup.empty()) return;
    markup.clean = stampedClean_;
    repeat.parentNode().insertBefore(templateDocument()->createRawMarkup(std::move(markup)),
                                     repeat);
  };
  const GeneralSource source(replicator.clone());  // shared by the copies' bindings
  for (std::size_t i = 0; i < objects.size(); ++i) {
    const std::size_t parts = markup.parts();
    if (topLevel) reportProgress(i + 1, objects.size());
    if (!addCopyBytes(copyBytes, repeatText, stepStatus)) {
      place(parts);
      return Stamped::kFailed;
    }
    ContextScope scope(context);
    context.prepend(QuireBinding(source, objects[i], replicator.number()));
    const RepeatStamp& stamp = lastStamp && i + 1 == objects.size() ? *lastStamp : *innerStamp;
    if (!writeStampedCopy(context, stamp, markup)) {
      place(parts);
      return Stamped::kFailed;
    }
  }
  place(markup.parts());
  return Stamped::kDone;
}

// One object's copy. A failing command is reported as the walk reports it in a copy.
bool TemplateGenerator::writeStampedCopy(QuireBindingList& context, const RepeatStamp& stamp,
                                         platform::RawMarkup& out) {
  for (std::size_t i = 0; i < stamp.gaps.size(); ++i) {
    out.appendShared(stamp.texts[i]);
    const StampGap& gap = stamp.gaps[i];
    reporting_ = gap.command;
    QuireStatus stepStatus;
    const bool done = gap.inner ? writeStampedList(context, gap, out, stepStatus)
                                : writeStampedValue(context, gap, out, stepStatus);
    reporting_ = gap.command;
    if (!done) {
      if (!stepStatus.IsOk()) {
        report(host_message::kTemplateCommandFailed, &stepStatus, gap.text);
        setStatus(stepStatus);
      }
      placesLeft_ = true;
      return false;
    }
  }
  out.appendShared(stamp.texts.back());
  return true;
}

// A DISPLAY's value, as processDisplay writes it: a one-line text straight into the markup,
// any other through the element.
bool TemplateGenerator::writeStampedValue(QuireBindingList& context, const StampGap& gap,
                                          platform::RawMarkup& out, QuireStatus& stepStatus) {
  if (platform::LogEnabled(platform::kLogDebug))
    platform::Log("Process DISPLAY (" + gap.text + ")", platform::kLogDebug);
  const Field* const field = fieldOf(gap.text, stepStatus);
  if (field == nullptr) {
    report(host_message::kDisplayUnreadable, &stepStatus);
    return false;
  }
  std::string shown;
  if (!plainDisplayText(context, *field, shown)) {
    if (status_.IsOk()) status_ = QuireStatus(kEvaluationError, "DISPLAY ", gap.text);
    stepStatus = status_;
    return false;
  }
  std::string& text = out.ownedText();
  const std::size_t before = text.size();
  text += gap.open;
  bool ascii = false;
  if (!gap.open.empty() && AppendTextMarkup(text, shown, ascii)) {
    text += gap.close;
    out.takeOwned(text.size() - before);
    if (stampedClean_ && !ascii && !platform::IsXmlText(shown)) stampedClean_ = false;
    return true;
  }
  text.resize(before);
  WriteText(gap.scratch, shown);
  const std::string markup = gap.scratch.xml();
  if (stampedClean_ && !IsDocumentText(markup)) stampedClean_ = false;
  out.appendCopy(markup);
  return true;
}

// An inner MASTER's copies, expanded as expandMaster expands them.
bool TemplateGenerator::writeStampedList(QuireBindingList& context, const StampGap& gap,
                                         platform::RawMarkup& out, QuireStatus& stepStatus) {
  ++expansions_;
  resetCurrentIndex();
  QuireObjectList objects;
  Replicator* const replicator = listObjects(context, gap.text, objects, stepStatus);
  if (replicator == nullptr) return false;
  const GeneralSource source(replicator->clone());  // shared by the copies' bindings
  for (const QuireObject& object : objects) {
    if (!addCopyBytes(gap.copyBytes, gap.text, stepStatus)) return false;
    ContextScope scope(context);
    context.prepend(QuireBinding(source, object, replicator->number()));
    if (!writeStampedCopy(context, *gap.inner, out)) return false;
  }
  resetCurrentIndex();
  return true;
}
