// Reads one game of PGN on standard input with chess.js, strict about SAN, and prints the
// FEN of its final position; exits 1 with the reader's complaint when the game does not read.
import { readFileSync } from 'node:fs';
import { Chess } from 'chess.js';

const pgn = readFileSync(0, 'utf8');
const game = new Chess();
try {
  game.loadPgn(pgn, { strict: true });
} catch (error) {
  console.error(`chess.js refused the PGN: ${error.message}`);
  process.exit(1);
}
console.log(game.fen());
