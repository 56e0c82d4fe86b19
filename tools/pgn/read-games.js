// Reads every game of a PGN file (a tournament manager's, say) with chessops, which knows
// Chess960, and replays its moves from its start; prints one line per game that does not read
// and a summary, and exits 1 when any failed. Usage: node read-games.js GAMES.pgn
import { readFileSync } from 'node:fs';
import { parsePgn, startingPosition } from 'chessops/pgn';
import { parseSan } from 'chessops/san';
import { makeFen } from 'chessops/fen';

const games = parsePgn(readFileSync(process.argv[2], 'utf8'));
let failed = 0;
let plies = 0;
games.forEach((game, index) => {
  const start = startingPosition(game.headers);
  const name = `game ${index + 1} (${game.headers.get('White')} - ${game.headers.get('Black')})`;
  if (start.isErr) {
    console.log(`${name}: the start does not read: ${start.error.message}`);
    failed += 1;
    return;
  }
  const position = start.value;
  for (const node of game.moves.mainline()) {
    const move = parseSan(position, node.san);
    if (!move) {
      console.log(`${name}: ${node.san} is not legal in ${makeFen(position.toSetup())}`);
      failed += 1;
      return;
    }
    position.play(move);
    plies += 1;
  }
});
console.log(`${games.length - failed} of ${games.length} games read back (${plies} plies)`);
process.exit(failed === 0 && games.length > 0 ? 0 : 1);
