// The kind of a stored constraint. The store accepts it on insertion and does
// not keep it: which forest a pair lands in already says what it means.
#pragma once

enum ConstraintType : int {
  kForbidConstraint = 0,   // (K1, O1) set forbids (K2, O2)
  kRequireConstraint = 1,  // (K1, O1) set requires (K2, O2)
};
