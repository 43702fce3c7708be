// The depth-first walk of both oracles: decide a cell, settle, back up past a
// refuted digit, and end on a solution, a stop, the budget or the root's last
// refutation. Each board brings its settled state and its propagation as a
// policy: oracle.cpp for 16x16 and 25x25, oracle_9x9.cpp for 9x9. Runs on the
// solve worker only.
#pragma once

#include <cstdint>

#include "solver/engine/oracle.h"

// One settled state per depth: depth d + 1 is depth d with the branch digit
// decided. A refuted digit is taken out of depth d in place.
//
// Board provides the type of its State and of its Choice of digit, and
//   Cell(state, query):      the cell to branch on, -1 when every cell is decided;
//   Digit(state, query, c):  the digit of cell c to try first;
//   Descend(next, c, choice, query):  decides c in next, a copy of its parent,
//                            and settles; false on a contradiction;
//   Refute(current, c, choice, query): takes the digit out of c and settles;
//   Show(context, state):    shows the watcher the decided cells;
//   Write(state, witness):   the digits of a solved state in reading order.
template <typename Board, int kDepths>
struct WalkStack {
  typename Board::State states[kDepths];
  int32_t branchCell[kDepths];
  typename Board::Choice branchChoice[kDepths];
};

// Searches from states[0], settled under `query`, on to the query's answer.
template <typename Board, int kDepths>
Outcome Walk(WalkStack<Board, kDepths>* stack, NodeClock clock, const Query& query,
             const EngineContext& context, uint8_t* witness) {
  using State = typename Board::State;
  State* states = stack->states;
  // With query.improve the bound tightens to each solution found, so the
  // last one is the smallest; with query.onlyOne the search goes on past the
  // first for a second.
  Query active = query;
  bool haveWitness = false;
  int depth = 0;
  for (;;) {
    if (RestartDue(&clock)) depth = 0;
    Outcome end;
    if (MustEnd(clock, query, context, haveWitness && query.improve, &end)) return end;
    State& state = states[depth];
    if (WatchDue(context, clock.nodes, &clock.watchAt)) Board::Show(context, state);
    const int cell = Board::Cell(state, active);
    if (cell < 0) {
      if (EndsAtSolution(clock, query, context, depth, witness, &haveWitness, &active, &end,
                         [&] { Board::Write(state, witness); })) {
        return end;
      }
      // The branch that led here holds this solution alone.
      --depth;
    } else {
      const typename Board::Choice choice = Board::Digit(state, active, cell);
      stack->branchCell[depth] = cell;
      stack->branchChoice[depth] = choice;
      State& next = states[depth + 1];
      next = state;
      ++clock.nodes;
      if (Board::Descend(&next, cell, choice, active)) {
        ++depth;
        continue;
      }
    }
    // The digit is refuted: take it out where it was chosen and settle; when
    // that fails too, the choice one level up is refuted in turn.
    for (;;) {
      ++clock.nodes;
      if (Board::Refute(&states[depth], stack->branchCell[depth], stack->branchChoice[depth],
                        active)) {
        break;
      }
      if (depth == 0) {
        return Finish(clock, context, haveWitness ? Outcome::kFound : Outcome::kNone);
      }
      --depth;
      if (StopRequested(context)) return Finish(clock, context, Outcome::kStopped);
    }
  }
}
