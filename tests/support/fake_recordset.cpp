#include "support/fake_recordset.h"

#include <algorithm>

#include "support/fake_errors.h"

namespace fake {
namespace {

class FakeRecordset : public adodb::Recordset {
 public:
  FakeRecordset(std::shared_ptr<ServerState> state, Result result)
      : state_(std::move(state)), result_(std::move(result)) {
    if (result_.returnsRows) failure_ = state_->fetchFailure;
  }

  int FieldCount() const override {
    RequireOpen();
    return static_cast<int>(result_.columns.size());
  }

  QString FieldName(int i) const override {
    RequireField(i);
    return result_.columns[i];
  }

  QString FieldTypeName(int i) const override {
    RequireField(i);
    return i < result_.types.size() ? result_.types[i] : QString();
  }

  const adodb::Value& FieldValue(int i) override {
    RequireField(i);
    FetchCurrent();
    if (AtEnd()) throw NoCurrentRecord();
    return result_.rows[position_][i];
  }

  bool Eof() override {
    RequireOpen();
    FetchCurrent();
    return AtEnd();
  }

  void MoveNext() override {
    RequireOpen();
    FetchCurrent();
    if (AtEnd()) throw NoCurrentRecord();
    ++position_;
    fetched_ = false;
    FetchCurrent();
  }

  void Close() override {
    RequireOpen();
    open_ = false;
  }

 private:
  bool AtEnd() const { return position_ >= result_.rows.size(); }

  void RequireOpen() const {
    if (!open_) throw ObjectClosed();
  }

  void RequireField(int i) const {
    RequireOpen();
    if (i < 0 || i >= result_.columns.size()) throw NoSuchField(i);
  }

  // The first look at a position fetches it; a scripted fault fails every fetch past its rows.
  void FetchCurrent() {
    if (fetched_) return;
    if (failure_ && position_ >= static_cast<size_t>(std::max(0, failure_->rows))) {
      throw FetchFailed(failure_->message);
    }
    fetched_ = true;
    if (!AtEnd()) ++state_->rowsFetched;
  }

  std::shared_ptr<ServerState> state_;
  Result result_;
  std::optional<FetchFailure> failure_;
  size_t position_ = 0;
  bool fetched_ = false;
  bool open_ = true;
};

}  // namespace

std::unique_ptr<adodb::Recordset> NewRecordset(std::shared_ptr<ServerState> state, Result result) {
  return std::make_unique<FakeRecordset>(std::move(state), std::move(result));
}

}  // namespace fake
