// Agglomerative clustering of levels from their distances, in O(n^2) time:
// the generic algorithm with a list of nearest neighbours (Müllner 2011),
// which merges the same pairs as the textbook O(n^3) loop under one tie rule.
#pragma once

#include "tree/distances.h"
#include "tree/hierarchy.h"

#include <vector>

// The n - 1 fusions of the `distances.count` levels, each at the smallest
// distance between two clusters. When several pairs are at that distance,
// the pair whose positions (a cluster's position is its earliest level's),
// smaller first, come first in the matrix fuses. Ward's method is R's
// "ward.D2": its updates are on squared distances and its heights are
// distances again. The distances are consumed as the working matrix:
// take what is needed of them before. A distance that is NaN (levels that
// share no row) leaves the fusions short of n - 1. `joined`, when given,
// gets for each fusion the sum of the distances between the levels of the
// two clusters it joins, each as it was given.
std::vector<Fusion> agglomerate(Distances distances, Linkage linkage,
                                std::vector<double>* joined = nullptr);
