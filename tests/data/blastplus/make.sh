#!/usr/bin/env bash
# Remakes the BLAST+ reports of this folder with Debian's ncbi-blast+: every
# program in every output format the readers take, over small databases made
# from generated sequences. The reports are committed; run this only to
# remake them (the sequences come from a fixed seed, so only BLAST+'s own
# version and date lines change).
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 make_sequences.py "$work"
makeblastdb -in "$work/prot_db.fa" -dbtype prot -out "$work/protdb" -title "generated proteins" -parse_seqids >/dev/null
makeblastdb -in "$work/nucl_db.fa" -dbtype nucl -out "$work/nucldb" -title "generated nucleotides" -parse_seqids >/dev/null
cp "$work"/*.fa .
rm -f prot_db.fa nucl_db.fa
# program, BLAST+ command, query file, database
runs=(
  "blastn|blastn -task blastn|nucl_queries.fa|nucldb"
  "megablast|blastn -task megablast|nucl_queries.fa|nucldb"
  "blastp|blastp|prot_queries.fa|protdb"
  "blastx|blastx|nucl_coding_queries.fa|protdb"
  "tblastn|tblastn|prot_queries.fa|nucldb"
  "tblastx|tblastx|nucl_queries.fa|nucldb"
  "psiblast|psiblast -num_iterations 3|prot_queries.fa|protdb"
)
for run in "${runs[@]}"; do
  IFS='|' read -r name command query db <<<"$run"
  for fmt in 0 5 6 7 10 15 16 html; do
    case $fmt in
      html) out=$name.html; args=(-outfmt 0 -html) ;;
      0) out=$name.txt; args=(-outfmt 0) ;;
      5) out=$name.xml; args=(-outfmt 5) ;;
      6) out=$name.tsv; args=(-outfmt 6) ;;
      7) out=$name.tab7; args=(-outfmt 7) ;;
      10) out=$name.csv; args=(-outfmt 10) ;;
      15) out=$name.json; args=(-outfmt 15) ;;
      16) out=$name.xml2; args=(-outfmt 16) ;;
    esac
    # psiblast takes neither XML2 nor JSON single files in every version: skip what it refuses
    $command -query "$query" -db "$work/$db" -evalue 1e-3 -max_target_seqs 20 \
      "${args[@]}" -out "$out" 2>"$work/err" || { echo "$name $fmt: $(cat "$work/err")" >&2; rm -f "$out"; }
  done
done
# The other column lists of commented tabular output, and the summary-only and alignment-only reports.
blastp -query prot_queries.fa -db "$work/protdb" -evalue 1e-3 -outfmt \
  "7 qaccver saccver pident length evalue bitscore qstart qend sstart send qseq sseq stitle qlen slen frames sstrand positive gaps nident" \
  -out blastp_columns.tab7
blastp -query prot_queries.fa -db "$work/protdb" -evalue 1e-3 -num_alignments 0 -out blastp_noalign.txt
tblastx -query nucl_queries.fa -db "$work/nucldb" -evalue 1e-3 -outfmt \
  "6 qseqid sseqid evalue bitscore score length nident positive gaps frames qstart qend sstart send sseq qseq" \
  -out tblastx_columns.tsv
# CSV whose subject titles hold the delimiter: BLAST+ writes them unquoted.
blastn -task blastn -query nucl_queries.fa -db "$work/nucldb" -evalue 1e-3 -max_target_seqs 20 -outfmt \
  "10 qaccver saccver stitle evalue bitscore score nident length qlen slen sstrand qstart qend sstart send" \
  -out blastn_titles.csv
# Identifiers as BLAST+ gives them when it does not parse them from the
# database (hits numbered gnl|BL_ORD_ID|n), searched with queries whose
# identifiers it does parse (-parse_deflines).
makeblastdb -in "$work/prot_db.fa" -dbtype prot -out "$work/protdb_plain" \
  -title "generated proteins, identifiers not parsed" >/dev/null
for fmt in 0 5 16; do
  case $fmt in 0) out=blastp_plainids.txt ;; 5) out=blastp_plainids.xml ;; 16) out=blastp_plainids.xml2 ;; esac
  blastp -query prot_queries.fa -db "$work/protdb_plain" -parse_deflines -evalue 1e-3 \
    -max_target_seqs 5 -outfmt $fmt -out "$out"
done
