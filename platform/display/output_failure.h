#pragma once
// What a display does when what it shows cannot be written (standard output closed or full, the
// terminal gone): the first failed write is said on standard error with its reason, the display
// ends its input as if the person had left, and the process ends with a failure status instead
// of a success that would hide the loss.

class OutputFailure {
  public:
    // Notes a failed write with its errno; the first is said on standard error.
    void note(int error);
    bool happened() const { return m_error != 0; }
    // `status`, or 1 in place of 0 once a write failed.
    int exit_status(int status) const { return status == 0 && happened() ? 1 : status; }

  private:
    int m_error = 0;
};
