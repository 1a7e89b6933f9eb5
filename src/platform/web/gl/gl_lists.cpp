// GlContext: display lists, recorded as closures that call the context again
// when the list runs.
#include "platform/web/gl/gl_context.h"

#include <cstdint>
#include <vector>

namespace web::gl {

GLuint GlContext::GenLists(GLsizei range) {
  if (InsideBegin()) return 0;
  if (range < 0) {
    SetError(GL_INVALID_VALUE);
    return 0;
  }
  if (range == 0) return 0;
  // The lowest run of `range` unused names.
  GLuint first = 1;
  for (auto it = lists_.lower_bound(first); it != lists_.end() && it->first < first + range;
       it = lists_.lower_bound(first))
    first = it->first + 1;
  for (GLuint name = first; name < first + static_cast<GLuint>(range); ++name) lists_[name];
  return first;
}

void GlContext::DeleteLists(GLuint list, GLsizei range) {
  if (InsideBegin()) return;
  if (range < 0) return SetError(GL_INVALID_VALUE);
  // A range past the last name ends with the names (no wrap to the first).
  const uint64_t end = uint64_t{list} + static_cast<uint64_t>(range);
  lists_.erase(lists_.lower_bound(list),
               end > UINT32_MAX ? lists_.end() : lists_.lower_bound(static_cast<GLuint>(end)));
}

GLboolean GlContext::IsList(GLuint list) {
  if (InsideBegin()) return GL_FALSE;
  return lists_.count(list) ? GL_TRUE : GL_FALSE;
}

void GlContext::NewList(GLuint list, GLenum mode) {
  if (InsideBegin()) return;
  if (list == 0) return SetError(GL_INVALID_VALUE);
  if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) return SetError(GL_INVALID_ENUM);
  if (compilingList_) return SetError(GL_INVALID_OPERATION);
  compilingList_ = list;
  compileMode_ = mode;
  compiling_.clear();
}

void GlContext::EndList() {
  if (InsideBegin()) return;
  if (!compilingList_) return SetError(GL_INVALID_OPERATION);
  // The list takes its new contents only now, so a list may call its own
  // earlier self while it is compiled.
  lists_[compilingList_] = std::move(compiling_);
  compiling_.clear();
  compilingList_ = 0;
}

void GlContext::RunList(GLuint list) {
  if (listDepth_ >= kListNesting) return;
  auto found = lists_.find(list);
  if (found == lists_.end()) return;
  // A copy: a command may delete or replace the list that holds it.
  const std::vector<Command> commands = found->second;
  ++listDepth_;
  for (const Command& command : commands) command(*this);
  --listDepth_;
}

void GlContext::CallList(GLuint list) {
  if (!Record([=](GlContext& c) { c.CallList(list); })) return;
  RunList(list);
}

void GlContext::CallLists(GLsizei n, GLenum type, const void* lists) {
  if (n < 0) return SetError(GL_INVALID_VALUE);
  // The names are read from client memory now, compiled or not.
  std::vector<GLuint> names(static_cast<size_t>(n));
  for (GLsizei i = 0; i < n; ++i) {
    switch (type) {
      case GL_UNSIGNED_BYTE:
        names[i] = static_cast<const GLubyte*>(lists)[i];
        break;
      case GL_BYTE:
        names[i] = static_cast<GLuint>(static_cast<const GLbyte*>(lists)[i]);
        break;
      case GL_UNSIGNED_SHORT:
        names[i] = static_cast<const GLushort*>(lists)[i];
        break;
      case GL_SHORT:
        names[i] = static_cast<GLuint>(static_cast<const GLshort*>(lists)[i]);
        break;
      case GL_UNSIGNED_INT:
        names[i] = static_cast<const GLuint*>(lists)[i];
        break;
      case GL_INT:
        names[i] = static_cast<GLuint>(static_cast<const GLint*>(lists)[i]);
        break;
      default:
        return Outside("glCallLists(type other than an integer type)");
    }
  }
  if (!Record([names](GlContext& c) {
        c.CallLists(static_cast<GLsizei>(names.size()), GL_UNSIGNED_INT, names.data());
      }))
    return;
  for (GLuint name : names) RunList(state_.listBase + name);
}

void GlContext::ListBase(GLuint base) {
  if (!Record([=](GlContext& c) { c.ListBase(base); }) || InsideBegin()) return;
  state_.listBase = base;
}

}  // namespace web::gl
